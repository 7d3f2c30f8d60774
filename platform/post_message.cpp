#include "platform/post_message.h"

#include <atomic>

namespace {

// Installed on the UI thread before workers exist; read by workers when they post.
std::atomic<MessagePoster> installed_function{nullptr};
std::atomic<void*> installed_context{nullptr};

}  // namespace

void InstallMessagePoster(MessagePoster poster, void* context) {
  installed_context.store(context, std::memory_order_relaxed);
  installed_function.store(poster, std::memory_order_release);
}

int PostMessageToWindow(WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  const MessagePoster poster = installed_function.load(std::memory_order_acquire);
  if (poster == nullptr) return 0;
  return poster(window, message, wparam, lparam, installed_context.load(std::memory_order_relaxed));
}
