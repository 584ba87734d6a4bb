#pragma once
// A window as data: its units (the window itself and its controls, in creation order) and the events bound to the
// program's handlers. The run time builds windows from these descriptions.
#include <cstdint>
#include <span>

namespace deskflip::runtime {

using WindowId = std::uint32_t;
using UnitId = std::uint32_t;

enum class UnitType { Window, Timer, Button, EditBox, Label };

struct SpinSettings {
  bool attached = false;
  std::int32_t minimum = 0;
  std::int32_t maximum = 0;
  std::int32_t width = 0;  // pixels, placed against the right edge of its edit box and as tall as it
};

struct UnitDescription {
  UnitType type;
  const char* name;
  UnitId id;
  std::int32_t left, top, width, height;
  const char* text;  // none for units without text
  bool readOnly = false;
  SpinSettings spin{};
  std::int32_t timerPeriod = 0;  // Timer: the period when loaded, 0 stopped
};

enum class Event { Created, WillBeDestroyed, TrayEvent, Click, Periodic };

using Handler = void (*)();
using TrayHandler = void (*)(std::int32_t operation);

struct EventBinding {
  UnitId unit;
  Event event;
  Handler handler = nullptr;          // every event but the tray event
  TrayHandler trayHandler = nullptr;  // the tray event
};

struct WindowDescription {
  WindowId id;
  std::span<const UnitDescription> units;  // units[0] is the window itself
  std::span<const EventBinding> events;
};

// Unit property numbers. 0 to 7 belong to every unit; from 8 on they depend on the unit type.
namespace property {
inline constexpr int kVisible = 5;
inline constexpr int kTimerPeriod = 8;    // Timer: milliseconds, 0 stopped
inline constexpr int kEditContent = 8;    // EditBox: the text
inline constexpr int kPlacement = 18;     // Window: 0 normal, 1 centred, 2 minimised, 3 maximised
}  // namespace property

}  // namespace deskflip::runtime
