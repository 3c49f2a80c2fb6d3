#pragma once

#include <exception>
#include <optional>
#include <utility>

#include <asio/co_spawn.hpp>
#include <asio/io_context.hpp>

namespace tavrix::testing {

// Runs one awaitable to completion on a private io_context and returns its value, rethrowing
// whatever it threw.
template <class T>
T runSync(asio::awaitable<T> aw) {
  asio::io_context ctx;
  std::optional<T> out;
  std::exception_ptr error;
  asio::co_spawn(
      ctx,
      [&]() -> asio::awaitable<void> { out.emplace(co_await std::move(aw)); },
      [&](std::exception_ptr e) { error = e; });
  ctx.run();
  if (error) {
    std::rethrow_exception(error);
  }
  return std::move(*out);
}

inline void runSync(asio::awaitable<void> aw) {
  asio::io_context ctx;
  std::exception_ptr error;
  asio::co_spawn(ctx, std::move(aw), [&](std::exception_ptr e) { error = e; });
  ctx.run();
  if (error) {
    std::rethrow_exception(error);
  }
}

}  // namespace tavrix::testing
