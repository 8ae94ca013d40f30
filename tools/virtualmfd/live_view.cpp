#include "tools/virtualmfd/live_view.h"

#include <chrono>
#include <string>
#include <utility>

namespace virtualmfd {
namespace {

constexpr std::chrono::milliseconds kRedraw{100};
constexpr size_t kRedrawsPerPage = 30;  // three seconds

}  // namespace

bool LiveView::start(Source source) {
    stop();
    // Opening the controlling terminal fails where there is none (a service,
    // a test runner, CI), and then the view stays silent.
    terminal_ = std::fopen("/dev/tty", "w");
    if (terminal_ == nullptr) {
        return false;
    }
    // One picture, one write: the program's own lines cannot cut into it.
    std::setvbuf(terminal_, nullptr, _IOFBF, 8192);
    source_ = std::move(source);
    stopping_ = false;
    thread_ = std::thread(&LiveView::run, this);
    return true;
}

void LiveView::stop() {
    if (thread_.joinable()) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    if (terminal_ != nullptr) {
        std::fclose(terminal_);
        terminal_ = nullptr;
    }
}

void LiveView::run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (size_t redraw = 0; !stopping_; ++redraw) {
        lock.unlock();
        std::string picture = placeAtTopRight(renderPanel(source_(), redraw / kRedrawsPerPage));
        std::fwrite(picture.data(), 1, picture.size(), terminal_);
        bool lost = std::fflush(terminal_) != 0;
        lock.lock();
        if (lost) {
            return;  // the terminal hung up; nobody is watching any more
        }
        wake_.wait_for(lock, kRedraw, [this] { return stopping_; });
    }
}

}  // namespace virtualmfd
