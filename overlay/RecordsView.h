#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/Solves.h"
#include "game/Splits.h"
#include "overlay/InfoView.h"

namespace gyrelle {

// Where the records' plot puts each solve: left to right in the order they were made,
// higher for a slower result (a DNF on the top edge); the running averages of 5 and 12
// as lines (from the solve that completes the first window on; a DNF average on the top
// edge), and the best result, marked. In view points of `area`.
struct RecordsPlot {
    std::vector<platform::Point> points;
    std::vector<bool> dnf;
    std::vector<platform::Point> ao5, ao12;
    int best = -1;                    // the solve with the best result, or -1
    double fastest = 0, slowest = 0;  // the results at the bottom and the top edge
};
RecordsPlot plotOf(const std::vector<Solve>& solves, platform::Rect area);

// The results (not DNFs, not assisted) in `bins` equal ranges from the fastest to the
// slowest.
struct Histogram {
    double from = 0, width = 0;
    std::vector<int> counts;
    int dnfs = 0;
};
Histogram histogramOf(const std::vector<Solve>& solves, int bins);

// The records for F2: the best, the averages, each step's mean over the newest 5 and 12
// solves whose turns are known (by `method`), a plot of every solve and the averages
// over them, a histogram of the times, and the solves newest first (the selected one with
// its splits), one selected, which
// the buttons below mark +2, DNF, or neither, or delete (Sessions, at the top left where
// the game keeps them, or E, opens their panel); each change can be taken back
// while the panel shows. The list scrolls by the wheel, the arrow keys and a finger.
// Keys: the up and down arrows select, P +2, D DNF, O neither, X delete, U or Ctrl+Z
// takes back, R or Return replays it, S shares its scramble and time (Share, at the top,
// where there is a way to send it); any other key closes it, as a touch outside the list
// and the buttons does.
class RecordsView : public Panel {
  public:
    struct Changes {
        std::function<void(size_t, const Solve&)> edit;
        std::function<void(size_t)> remove;
        std::function<void(size_t, const Solve&)> insert;
        std::function<void(size_t)> replay = {};  // opens the replay of a solve
        std::function<void(size_t)> share = {};   // sends a solve's scramble and time
        std::function<void()> sessions = {};      // the sessions panel, in its place
    };
    struct Item {
        std::string label;
        std::function<void()> action;
    };
    // `solves`: the game's, changed only through `changes` while the panel shows.
    // `items`: Export and Import, where a browser gives and takes files.
    // `session`: the name of the session they are, where there are several.
    RecordsView(platform::Rect frame, const std::vector<Solve>& solves, Changes changes,
                std::vector<Item> items = {}, Method method = Method::Cfop,
                std::string session = {});

    bool keyDown(const platform::KeyPress& key) override;
    bool scrollWheel(float lines) override;
    void touchesBegan(const platform::TouchSet& touches, const platform::Event& event) override;
    void touchesMoved(const platform::TouchSet& touches, const platform::Event& event) override;
    void touchesEnded(const platform::TouchSet& touches, const platform::Event& event) override;
    void drawContent(platform::Painter& painter) const override;

    // The selected solve's index in the solves, or -1; the list's first row shown.
    long selected() const { return selected_; }
    float scrolled() const { return offset_; }
    const RecordsPlot& plot() const { return plot_; }
    const std::string& summary() const { return summary_; }
    // The selected solve's splits, as its row shows them; empty when they are not known.
    const std::string& selectedSplits() const { return selectedSplits_; }
    // +2, DNF, OK, Delete, Undo, Replay; then Share, Export and Import where there are any.
    const std::vector<std::unique_ptr<platform::Button>>& buttons() const { return buttons_; }
    // The list's rows, in view points.
    static constexpr platform::Rect kList{0, 256, 320, 168};
    static constexpr float kRowHeight = 42;

  private:
    void update();
    void select(long index);
    void showSelectedSplits();
    void mark(Penalty penalty);
    void removeSelected();
    void replaySelected();
    void shareSelected();
    void undo();
    void scrollTo(float offset);
    long rowAt(platform::Point p) const;

    const std::vector<Solve>& solves_;
    Changes changes_;
    Method method_;
    std::string session_;
    std::string selectedSplits_;
    std::vector<std::unique_ptr<platform::Button>> buttons_;
    std::unique_ptr<platform::Button> sessionsButton_;
    RecordsPlot plot_;
    Histogram histogram_;
    std::string summary_;
    long selected_ = -1;
    float offset_ = 0;  // points the list is scrolled down by
    // The changes made here, to take back: the index, and the solve as it was before
    // (deleted when `removed`).
    struct Change {
        size_t index;
        Solve before;
        bool removed;
    };
    std::vector<Change> changesMade_;
    // A finger on the list: where it began, the offset then, and whether it scrolls.
    platform::Point touchStart_{};
    float offsetAtStart_ = 0;
    bool dragging_ = false;
    bool touchOnList_ = false;
};

}  // namespace gyrelle
