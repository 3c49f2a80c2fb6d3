#pragma once

#include <chrono>
#include <functional>

#include <asio/awaitable.hpp>
#include <asio/basic_waitable_timer.hpp>
#include <asio/this_coro.hpp>
#include <asio/use_awaitable.hpp>
#include <asio/wait_traits.hpp>

namespace tavrix {

// A pause of the given length, awaited by the engine at the end of every run.
using PauseFunction = std::function<asio::awaitable<void>(std::chrono::milliseconds)>;

// A pause on a timer of `Clock`, on the awaiting coroutine's executor. The engine's default is
// the steady clock; any other clock with its wait traits lets a test decide when time passes.
template <class Clock, class WaitTraits = asio::wait_traits<Clock>>
PauseFunction timerPause() {
  return [](std::chrono::milliseconds duration) -> asio::awaitable<void> {
    asio::basic_waitable_timer<Clock, WaitTraits> timer(co_await asio::this_coro::executor,
                                                        duration);
    co_await timer.async_wait(asio::use_awaitable);
  };
}

}  // namespace tavrix
