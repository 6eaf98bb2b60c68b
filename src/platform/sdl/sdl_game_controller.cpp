#include "platform/sdl/sdl_game_controller.h"

#include <SDL.h>

namespace tarvolin::platform {
namespace {

// A stick pushed this far counts as the pad direction; a trigger this far as
// its shoulder.
constexpr Sint16 kStickThreshold = 16000;

class SdlGameController : public GameController {
 public:
  SdlGameController() = default;
  ~SdlGameController() override {
    if (pad_) SDL_GameControllerClose(pad_);
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  }

  bool Poll(ControllerButtons& down) override {
    down.fill(false);
    SDL_GameControllerUpdate();
    if (pad_ && !SDL_GameControllerGetAttached(pad_)) {
      SDL_GameControllerClose(pad_);
      pad_ = nullptr;
    }
    if (!pad_) {
      // Looked for again now and then, so a controller plugged in later is found.
      if (--lookCountdown_ > 0) return false;
      lookCountdown_ = kLookEvery;
      SDL_JoystickUpdate();
      for (int i = 0; i < SDL_NumJoysticks() && !pad_; ++i)
        if (SDL_IsGameController(i)) pad_ = SDL_GameControllerOpen(i);
      if (!pad_) return false;
    }
    auto button = [&](SDL_GameControllerButton b) {
      return SDL_GameControllerGetButton(pad_, b) != 0;
    };
    const Sint16 x = SDL_GameControllerGetAxis(pad_, SDL_CONTROLLER_AXIS_LEFTX);
    const Sint16 y = SDL_GameControllerGetAxis(pad_, SDL_CONTROLLER_AXIS_LEFTY);
    down[0] = button(SDL_CONTROLLER_BUTTON_A);
    down[1] = button(SDL_CONTROLLER_BUTTON_B);
    down[2] = button(SDL_CONTROLLER_BUTTON_BACK);
    down[3] = button(SDL_CONTROLLER_BUTTON_START);
    down[4] = button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT) || x > kStickThreshold;
    down[5] = button(SDL_CONTROLLER_BUTTON_DPAD_LEFT) || x < -kStickThreshold;
    down[6] = button(SDL_CONTROLLER_BUTTON_DPAD_UP) || y < -kStickThreshold;
    down[7] = button(SDL_CONTROLLER_BUTTON_DPAD_DOWN) || y > kStickThreshold;
    down[8] = button(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER) ||
              SDL_GameControllerGetAxis(pad_, SDL_CONTROLLER_AXIS_TRIGGERRIGHT) > kStickThreshold;
    down[9] = button(SDL_CONTROLLER_BUTTON_LEFTSHOULDER) ||
              SDL_GameControllerGetAxis(pad_, SDL_CONTROLLER_AXIS_TRIGGERLEFT) > kStickThreshold;
    return true;
  }

  std::string Name() const override {
    const char* name = pad_ ? SDL_GameControllerName(pad_) : nullptr;
    return name ? name : "";
  }

 private:
  static constexpr int kLookEvery = 30;  // polls between looks for a new controller
  SDL_GameController* pad_ = nullptr;
  int lookCountdown_ = 0;
};

}  // namespace

std::unique_ptr<GameController> CreateSdlGameController() {
  // Controllers are read by polling; SDL need not watch the environment's
  // windows for them.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  // SIGTERM and SIGINT are the program's: SDL would turn them into quit
  // events nobody reads, and the program would not end on a kill.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return std::make_unique<NoGameController>();
  // State is polled; no events are queued that nobody would read.
  SDL_JoystickEventState(SDL_IGNORE);
  SDL_GameControllerEventState(SDL_IGNORE);
  return std::make_unique<SdlGameController>();
}

}  // namespace tarvolin::platform
