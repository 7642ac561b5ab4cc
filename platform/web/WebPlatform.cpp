#include "platform/web/WebPlatform.h"

#include <GLES/gl.h>
#include <GLES/glext.h>
#include <emscripten.h>
#include <emscripten/eventloop.h>
#include <webgl/webgl1.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/web/Gles1.h"
#include "platform/web/WebFiles.h"

namespace gyrelle::platform {

namespace {

constexpr char kCanvas[] = "#canvas";
constexpr double kGravity = 9.80665;  // m/s^2 in one g

// The platform the page's own listeners (paste, leaving) reach.
WebPlatform* running = nullptr;

}  // namespace

WebPlatform::WebPlatform()
    : WindowHost(web::lookUp, [] { return emscripten_get_now() / 1000.0; }) {}

WebPlatform::~WebPlatform() {
    if (running == this) {
        running = nullptr;
    }
    if (timeout_) {
        emscripten_clear_timeout(timeout_);
    }
    accelerometer_.setDelegate(nullptr);
    if (context_ > 0) {
        emscripten_webgl_make_context_current(context_);
        compositor_.reset();  // its textures live in the context
        emscripten_webgl_destroy_context(context_);
    }
}

bool WebPlatform::open(const char* title, Size points) {
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_TRUE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;  // the picture's pixels exactly as the pick's
    attributes.premultipliedAlpha = EM_FALSE;
    attributes.preserveDrawingBuffer = EM_FALSE;
    attributes.powerPreference = EM_WEBGL_POWER_PREFERENCE_LOW_POWER;
    context_ = emscripten_webgl_create_context(kCanvas, &attributes);
    if (context_ <= 0) {
        error_ = "this browser offers no WebGL 2";
        return false;
    }
    emscripten_webgl_make_context_current(context_);
    web::forgetContext();
    openViews(title, points, text_);
    input_ = std::make_unique<WebInput>(*this, layer_.rect, points, *root_);
    running = this;
    resized();
    return true;
}

bool WebPlatform::makeCurrent() {
    return emscripten_webgl_make_context_current(context_) == EMSCRIPTEN_RESULT_SUCCESS;
}

bool WebPlatform::isCurrent() const {
    return context_ > 0 && emscripten_webgl_get_current_context() == context_;
}

void WebPlatform::clearCurrent() {
    emscripten_webgl_make_context_current(0);
}

std::string WebPlatform::documentsDirectory(std::string&) {
    return kDocuments;
}

void WebPlatform::setClipboardText(const std::string& text) {
    clipboard_ = text;
    // clang-format off
    EM_ASM(
        {
            if (navigator.clipboard) {
                navigator.clipboard.writeText(UTF8ToString($0)).catch(function(){});
            }
        },
        text.c_str());
    // clang-format on
}

void WebPlatform::documentsWritten() {
    keepFiles();
}

int WebPlatform::run(ApplicationDelegate& delegate) {
    delegate_ = &delegate;
    input_->install();
    emscripten_set_resize_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, EM_FALSE,
                                   [](int, const EmscriptenUiEvent*, void* self) -> EM_BOOL {
                                       static_cast<WebPlatform*>(self)->resized();
                                       static_cast<WebPlatform*>(self)->finishEvent();
                                       return EM_FALSE;
                                   });
    emscripten_set_visibilitychange_callback(
        this, EM_FALSE, [](int, const EmscriptenVisibilityChangeEvent* e, void* self) -> EM_BOOL {
            auto* p = static_cast<WebPlatform*>(self);
            e->hidden ? p->pageHidden() : p->pageShown();
            p->finishEvent();
            return EM_FALSE;
        });
    auto focus = [](int type, const EmscriptenFocusEvent*, void* self) -> EM_BOOL {
        auto* p = static_cast<WebPlatform*>(self);
        if (type == EMSCRIPTEN_EVENT_BLUR) {
            p->active_ = false;
            p->delegate_->applicationWillResignActive();
        } else {
            p->pageShown();
        }
        p->finishEvent();
        return EM_FALSE;
    };
    // A lost context (the browser took the GPU back: another app, memory pressure) is
    // asked back by preventing the default; once restored, everything in it is made again.
    emscripten_set_webglcontextlost_callback(
        kCanvas, this, EM_FALSE, [](int, const void*, void*) -> EM_BOOL { return EM_TRUE; });
    emscripten_set_webglcontextrestored_callback(kCanvas, this, EM_FALSE,
                                                 [](int, const void*, void* self) -> EM_BOOL {
                                                     auto* p = static_cast<WebPlatform*>(self);
                                                     p->contextRestored();
                                                     p->finishEvent();
                                                     return EM_TRUE;
                                                 });
    emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, EM_FALSE, focus);
    emscripten_set_focus_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, EM_FALSE, focus);
    emscripten_set_devicemotion_callback(
        this, EM_FALSE, [](int, const EmscriptenDeviceMotionEvent* e, void* self) -> EM_BOOL {
            // The page's axes are the handset's, its signs the other way round: at rest,
            // upright, the page reads +g up where the handset read -1.
            static_cast<WebPlatform*>(self)->moved({-e->accelerationIncludingGravityX / kGravity,
                                                    -e->accelerationIncludingGravityY / kGravity,
                                                    -e->accelerationIncludingGravityZ / kGravity});
            return EM_FALSE;
        });
    // clang-format off
    EM_ASM({
        window.addEventListener(
            "pagehide", function() { _gyrelleLeaving(); });
        document.addEventListener(
            "paste", function(e) {
                var text = (e.clipboardData || window.clipboardData).getData("text");
                if (text) {
                    e.preventDefault();
                    var length = lengthBytesUTF8(text) + 1;
                    var memory = _malloc(length);
                    stringToUTF8(text, memory, length);
                    _gyrellePasted(memory);
                    _free(memory);
                }
            });
        // A position arriving in a page already open: the page starts again with it
        // (the game saved as the page goes), so that nothing open hides it.
        window.addEventListener("hashchange", function() {
            if (location.hash.indexOf("#position=") >= 0 || location.hash.indexOf("#replay=") >= 0 ||
                location.hash.indexOf("#scramble=") >= 0)
                location.reload();
        });
    });
    // clang-format on
    delegate.applicationDidFinishLaunching();
    if (View* content = root_->contentView()) {
        content->layoutSubviews();
    }
    addressChanged();  // opened from a shared position
    finishEvent();
    return 0;
}

float WebPlatform::leastTouchPixels() const {
    return static_cast<float>(48.0 * emscripten_get_device_pixel_ratio());
}

void WebPlatform::contextRestored() {
    if (!makeCurrent()) {
        return;
    }
    web::forgetContext();  // the OpenGL ES 1.1 calls' program and buffers went with it
    rebuildAfterContextLoss();
}

void WebPlatform::finishEvent() {
    endPass(input_->activeTouches());
    schedule();
}

void WebPlatform::schedule() {
    const double wait = runLoop_.secondsUntilNextTimer();
    if (std::isinf(wait)) {  // nothing due: no wake-up at all
        if (timeout_) {
            emscripten_clear_timeout(timeout_);
            timeout_ = 0;
        }
        return;
    }
    const double at = runLoop_.now() + wait;
    if (timeout_ && std::fabs(at - timeoutAt_) < 1e-4) {
        return;
    }
    if (timeout_) {
        emscripten_clear_timeout(timeout_);
    }
    timeoutAt_ = at;
    timeout_ = emscripten_set_timeout(
        [](void* self) {
            auto* p = static_cast<WebPlatform*>(self);
            p->timeout_ = 0;
            p->finishEvent();
        },
        std::ceil(wait * 1000), this);
}

void WebPlatform::setTitle(const std::string& title) {
    // clang-format off
    EM_ASM({ document.title = UTF8ToString($0); }, title.c_str());
    // clang-format on
}

void WebPlatform::resized() {
    double cssWidth = 0, cssHeight = 0;
    emscripten_get_element_css_size(kCanvas, &cssWidth, &cssHeight);
    const double ratio = emscripten_get_device_pixel_ratio();
    drawable_ = {std::max(1, static_cast<int>(std::lround(cssWidth * ratio))),
                 std::max(1, static_cast<int>(std::lround(cssHeight * ratio)))};
    emscripten_set_canvas_element_size(kCanvas, drawable_.width, drawable_.height);
    if (!placeLayer(drawable_)) {
        composite();  // a canvas given a size is cleared
    }
}

void WebPlatform::pageHidden() {
    if (!delegate_) {
        return;
    }
    if (active_) {
        active_ = false;
        delegate_->applicationWillResignActive();
    }
    // The page may never come back: everything is saved now, and kept.
    delegate_->applicationWillTerminate();
}

void WebPlatform::pageShown() {
    if (delegate_ && !active_) {
        active_ = true;
        delegate_->applicationDidBecomeActive();
    }
}

void WebPlatform::moved(const Acceleration& sample) {
    if (sample.x == 0 && sample.y == 0 && sample.z == 0) {
        return;  // a browser's first word when it has no sensor, not a motion
    }
    motion_ = sample;
    if (!haveMotion_) {  // sampled only once there is a sensor to sample
        haveMotion_ = true;
        accelerometer_.setSource([this](Acceleration& a) {
            a = motion_;
            return true;
        });
        finishEvent();
    }
}

void WebPlatform::pasted(const std::string& text) {
    clipboard_ = text;
    KeyPress press;
    press.key = Key::Letter;
    press.letter = 'v';
    press.ctrl = true;
    root_->keyDown(press);
    finishEvent();
}

// clang-format off
bool WebPlatform::askText(const std::string& question, const std::string& initial,
                          std::function<void(std::string)> answer) {
    char* text = reinterpret_cast<char*>(static_cast<intptr_t>(EM_ASM_INT({
        var given = window.prompt(UTF8ToString($0), UTF8ToString($1));
        if (given === null) return 0;
        var length = lengthBytesUTF8(given) + 1;
        var memory = _malloc(length);
        stringToUTF8(given, memory, length);
        return memory;
    }, question.c_str(), initial.c_str())));
    std::string given = text ? text : "";
    std::free(text);
    answer(std::move(given));
    return true;
}

std::string WebPlatform::share(const std::string& code) {
    return shareAddress("position=" + code, "this position");
}

std::string WebPlatform::shareFragment(const std::string& fragment) {
    return shareAddress(fragment, fragment.starts_with("scramble=") ? "this scramble" : "this replay");
}

std::string WebPlatform::shareAddress(const std::string& fragment, const std::string& what) {
    EM_ASM(
        {
            var url = location.origin + location.pathname + location.search + "#" +
                      UTF8ToString($0);
            var what = UTF8ToString($1);
            var told = function(text) {
                if (typeof window.gyrelleNotice === "function") window.gyrelleNotice(text);
            };
            if (navigator.share) {
                navigator.share({title : "Gyrelle", url : url}).catch(function() {});
            } else if (navigator.clipboard && navigator.clipboard.writeText) {
                navigator.clipboard.writeText(url).then(
                    function() { told("The address of " + what + " is copied: " + url); },
                    function() { told(url); });
            } else {
                told(url);
            }
        },
        fragment.c_str(), what.c_str());
    return {};  // the page says it, or the browser shows it
}

std::string WebPlatform::offerFile(const std::string& name, const std::string& text) {
    EM_ASM(
        {
            var bytes = HEAPU8.slice($1, $1 + $2);
            var a = document.createElement("a");
            a.href = URL.createObjectURL(new Blob([bytes], {type : "text/csv"}));
            a.download = UTF8ToString($0);
            document.body.appendChild(a);
            a.click();
            setTimeout(function() {
                URL.revokeObjectURL(a.href);
                a.remove();
            }, 1000);
        },
        name.c_str(), text.data(), text.size());
    return {};  // the page says it, or the browser shows it
}

std::string WebPlatform::askForFile(FileTaker take) {
    takeFile_ = std::move(take);
    EM_ASM({
        var input = document.createElement("input");
        input.type = "file";
        input.accept = ".csv,.txt,.json,text/csv,text/plain,application/json";
        input.onchange = function() {
            var file = input.files[0];
            if (!file) return;
            // As large as any records are made from; larger is not read.
            if (file.size > $0) {
                _gyrelleFileChosen(0, file.size);
                return;
            }
            // Kept here and read a piece at a time: the game's memory never holds it whole.
            file.arrayBuffer().then(function(buffer) {
                Module.gyrelleChosen = new Uint8Array(buffer);
                _gyrelleFileChosen(1, buffer.byteLength);
                Module.gyrelleChosen = null;
            });
        };
        input.click();
    }, kLargestFileTaken);
    return {};  // the page says it, or the browser shows it
}

void WebPlatform::tell(const std::string& text) {
    EM_ASM(
        {
            if (typeof window.gyrelleNotice === "function") window.gyrelleNotice(UTF8ToString($0));
        },
        text.c_str());
}

void WebPlatform::addressChanged() {
    char* code = reinterpret_cast<char*>(static_cast<intptr_t>(EM_ASM_INT({
        var at = location.hash.indexOf("#position=");
        var replay = location.hash.indexOf("#replay=");
        if (replay < 0) replay = location.hash.indexOf("#scramble=");
        if (at < 0 && replay < 0) return 0;
        // A replay's or a scramble's address is read whole by the paste; a position's is
        // its code.
        var text = replay >= 0 ? location.hash.substring(replay)
                               : location.hash.substring(at + 10).split("&")[0];
        try {
            text = decodeURIComponent(text);
        } catch (e) {
        }
        history.replaceState(null, "", location.pathname + location.search);
        var length = lengthBytesUTF8(text) + 1;
        var memory = _malloc(length);
        stringToUTF8(text, memory, length);
        return memory;
    })));
    if (code) {
        pasted(code);
        std::free(code);
    }
}
// clang-format on

namespace {

// The bytes of the file chosen, as the page holds them, copied over a piece at a time.
class ChosenFile : public ByteSource {
  public:
    long read(char* into, size_t most, std::string&) override {
        const long n = EM_ASM_INT(
            {
                var bytes = Module.gyrelleChosen;
                var n = Math.min($2, bytes.length - $1);
                HEAPU8.set(bytes.subarray($1, $1 + n), $0);
                return n;
            },
            into, static_cast<double>(at_), static_cast<double>(most));
        at_ += static_cast<size_t>(n);
        return n;
    }
    bool rewind() override {
        at_ = 0;
        return true;
    }

  private:
    size_t at_ = 0;
};

}  // namespace

void WebPlatform::fileChosen(bool held, size_t length) {
    if (takeFile_) {
        ChosenFile chosen;
        TextSource none("");
        if (held) {
            takeFile_(chosen, "");
        } else {
            takeFile_(none,
                      "it is larger than any records (" + std::to_string(length >> 20) + " MB)");
        }
    }
    finishEvent();
}

}  // namespace gyrelle::platform

extern "C" {

// `held`: the page holds the file's bytes (Module.gyrelleChosen); else it is too large.
EMSCRIPTEN_KEEPALIVE void gyrelleFileChosen(int held, double length) {
    if (auto* p = gyrelle::platform::running) {
        p->fileChosen(held != 0, static_cast<size_t>(length));
    }
}

EMSCRIPTEN_KEEPALIVE void gyrelleLeaving() {
    if (auto* p = gyrelle::platform::running) {
        p->pageHidden();
    }
}

EMSCRIPTEN_KEEPALIVE void gyrellePasted(const char* text) {
    if (auto* p = gyrelle::platform::running) {
        p->pasted(text);
    }
}

}  // extern "C"
