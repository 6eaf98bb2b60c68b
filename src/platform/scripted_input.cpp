#include "platform/scripted_input.h"

namespace tarvolin::platform {

void ScriptedKeySource::hold(int virtualKey, int firstFrame, int lastFrame) {
  if (!isKeyCode(virtualKey) || lastFrame < firstFrame) return;
  holds_.push_back({virtualKey, firstFrame, lastFrame});
  update();
}

void ScriptedKeySource::setFrame(int frame) {
  frame_ = frame;
  update();
}

void ScriptedKeySource::setKey(int virtualKey, bool down) {
  if (!isKeyCode(virtualKey)) return;
  manual_[virtualKey] = down;
  update();
}

void ScriptedKeySource::update() {
  std::array<bool, kKeyCodeCount> now = manual_;
  for (const Hold& h : holds_) {
    if (frame_ >= h.first && frame_ <= h.last) now[h.key] = true;
  }
  for (int k = 0; k < kKeyCodeCount; ++k) {
    if (now[k] && !down_[k]) latch_[k] = true;
    down_[k] = now[k];
  }
}

KeyQuery ScriptedKeySource::queryKey(int virtualKey) {
  if (!isKeyCode(virtualKey)) return {};
  KeyQuery q{down_[virtualKey], latch_[virtualKey]};
  latch_[virtualKey] = false;
  return q;
}

}  // namespace tarvolin::platform
