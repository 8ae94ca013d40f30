#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/terminal.h"
#include "tools/virtualmfd/frame.h"

namespace virtualmfd {

// The live view: a thread of its own redraws the display about ten times a
// second at the top right of the terminal (the controlling terminal, or on
// Windows the console), showing one page at a time and the next one every
// three seconds. It never writes to standard output, which belongs to the
// program. The view owns its terminal and its thread; `mutex_` guards
// `stopping_`.
class LiveView {
  public:
    using Source = std::function<ViewState()>;

    ~LiveView() { stop(); }

    // Starts drawing what `source` gives (called on the view's thread). False,
    // and nothing started, when the process has no terminal to draw on.
    bool start(Source source);
    // Stops and joins the thread; the last picture stays on the screen.
    void stop();

  private:
    void run();

    Source source_;
    platform::Terminal terminal_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
};

}  // namespace virtualmfd
