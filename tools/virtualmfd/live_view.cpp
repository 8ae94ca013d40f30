#include "tools/virtualmfd/live_view.h"

#include <chrono>
#include <string>
#include <utility>

#include "platform/process.h"

namespace virtualmfd {
namespace {

constexpr std::chrono::milliseconds kRedraw{100};
constexpr size_t kRedrawsPerPage = 30;  // three seconds

}  // namespace

bool LiveView::start(Source source) {
    stop();
    // Where there is no terminal (a service, a test runner, CI) or it cannot
    // take the sequences, the view stays silent.
    if (!terminal_.open()) {
        return false;
    }
    source_ = std::move(source);
    stopping_ = false;
    thread_ = std::thread(&LiveView::run, this);
    return true;
}

void LiveView::stop() {
    if (thread_.joinable() && platform::processIsEnding()) {
        // Unloaded as the process ends (Ctrl-C on Windows): a join there can
        // hang the end for good (it did under Wine). The end takes the thread.
        thread_.detach();
    }
    if (thread_.joinable()) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    terminal_.close();
}

void LiveView::run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (size_t redraw = 0; !stopping_; ++redraw) {
        lock.unlock();
        std::string picture = placeAtTopRight(renderPanel(source_(), redraw / kRedrawsPerPage));
        // One picture, one write: the program's own lines cannot cut into it.
        bool lost = !terminal_.write(picture);
        lock.lock();
        if (lost) {
            return;  // the terminal hung up; nobody is watching any more
        }
        wake_.wait_for(lock, kRedraw, [this] { return stopping_; });
    }
}

}  // namespace virtualmfd
