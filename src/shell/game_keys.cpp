#include "shell/game_keys.h"

#include "platform/keys.h"

namespace tarvolin::shell {

void GameKeys::set(std::array<std::uint8_t, 256>& held, int vk, bool down) {
  if (!platform::isKeyCode(vk)) return;
  const auto i = static_cast<std::size_t>(vk);
  if (down && !isDown(vk)) latch_[i] = 1;
  held[i] = down;
}

void GameKeys::press(int vk) { set(keyboard_, vk, true); }
void GameKeys::release(int vk) { set(keyboard_, vk, false); }
void GameKeys::releaseAll() { keyboard_.fill(0); }

void GameKeys::setControllerButtons(const platform::ControllerButtons& down,
                                    const script::KeyMap& keyMap) {
  std::array<std::uint8_t, 256> now{};
  for (std::size_t b = 0; b < down.size() && b < keyMap.keys.size(); ++b)
    if (down[b] && platform::isKeyCode(keyMap.keys[b])) now[static_cast<std::size_t>(keyMap.keys[b])] = 1;
  for (int vk = 1; vk < platform::kKeyCodeCount; ++vk)
    if (now[static_cast<std::size_t>(vk)] != controller_[static_cast<std::size_t>(vk)])
      set(controller_, vk, now[static_cast<std::size_t>(vk)] != 0);
}

bool GameKeys::isDown(int vk) const {
  if (!platform::isKeyCode(vk)) return false;
  const auto i = static_cast<std::size_t>(vk);
  return keyboard_[i] || controller_[i];
}

platform::KeyQuery GameKeys::queryKey(int vk) {
  platform::KeyQuery q;
  if (!platform::isKeyCode(vk)) return q;
  const auto i = static_cast<std::size_t>(vk);
  q.down = isDown(vk);
  q.pressedSinceLastQuery = latch_[i] != 0;
  latch_[i] = 0;
  return q;
}

}  // namespace tarvolin::shell
