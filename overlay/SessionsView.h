#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/Solves.h"
#include "overlay/InfoView.h"
#include "platform/Button.h"

namespace gyrelle {

// The sessions the records are kept in, one a row (its name, how many solves, its best),
// the one shown marked; one selected, which the buttons below show, rename, merge into
// the one shown, or delete with its solves; New makes one more ("Session 2"), shown. Each
// change can be taken back while the panel shows (Undo). A name is typed where the
// platform asks for text (a browser's prompt); else on the panel: letters (Shift for
// capitals), Space, Backspace, Return keeps it, Escape leaves it as it was.
// Keys: Up and Down select, Return shows, N new, R rename, M merge, X delete, U or Ctrl+Z
// takes back; any other key closes it, as a touch outside the rows and the buttons does.
class SessionsView : public Panel {
  public:
    struct Actions {
        std::function<void(size_t)> show;  // closes the panel: the records of that session
        std::function<bool(std::string, Solves::SessionsBefore&)> add;
        std::function<bool(size_t, std::string, Solves::SessionsBefore&)> rename;
        std::function<bool(size_t, size_t, Solves::SessionsBefore&)> merge;
        std::function<bool(size_t, Solves::SessionsBefore&)> remove;
        std::function<void(Solves::SessionsBefore)> restore;
        // Asks for a name where the platform can (then true, the answer to `answer`, empty
        // when none is given).
        std::function<bool(const std::string& question, const std::string& initial,
                           std::function<void(std::string)> answer)>
            askName = {};
    };
    SessionsView(platform::Rect frame, const Solves& solves, Actions actions);

    bool keyDown(const platform::KeyPress& key) override;
    void touchesBegan(const platform::TouchSet& touches, const platform::Event& event) override;
    void touchesEnded(const platform::TouchSet& touches, const platform::Event& event) override;
    void drawContent(platform::Painter& painter) const override;

    // For tests: the rows as they read, the one selected, the name being typed (while one
    // is), and Show, New, Rename, Merge, Delete, Undo.
    const std::vector<std::string>& rows() const { return rows_; }
    size_t selected() const { return selected_; }
    bool typing() const { return typing_; }
    const std::string& typed() const { return typed_; }
    const std::string& said() const { return said_; }
    const std::vector<std::unique_ptr<platform::Button>>& buttons() const { return buttons_; }

    void showSelected();
    void addOne();
    void renameSelected();
    void mergeSelected();
    void removeSelected();
    void undo();

    static constexpr platform::Rect kList{0, 48, 320, 376};
    static constexpr float kRowHeight = 44;

  private:
    void update();
    void rename(std::string name);

    const Solves& solves_;
    Actions actions_;
    std::vector<std::string> rows_;
    std::vector<std::unique_ptr<platform::Button>> buttons_;
    std::vector<Solves::SessionsBefore> taken_;  // what Undo takes back, newest last
    size_t selected_ = 0;
    bool typing_ = false;
    std::string typed_, said_;
    platform::Point touchStart_{};
};

}  // namespace gyrelle
