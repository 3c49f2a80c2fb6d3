#pragma once

#include <new>
#include <utility>

#include <asio/awaitable.hpp>

namespace tavrix {

// Runs the coroutine made by `body` and turns anything it throws into `failure`. Asio raises a
// cancellation at the next co_await of the frame that awaits, so the guard must await the body
// inside its own try block: a cancelled exchange, or one cancelled between two exchanges, ends
// the operation with its failure result instead of an exception. Running out of memory is no
// tag failure and passes through.
template <class T, class Body>
asio::awaitable<T> failSafe(Body body, T failure) {
  try {
    co_return co_await body();
  } catch (const std::bad_alloc&) {
    throw;
  } catch (...) {
  }
  co_return failure;
}

}  // namespace tavrix
