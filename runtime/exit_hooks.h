#pragma once
// The exit-hook list: routines the application shutdown runs once, in the order they were registered.

namespace deskflip::runtime {

using ExitHook = void (*)();

// Appends `hook`, unless the list already holds it.
void registerExitHook(ExitHook hook);

// Runs every hook once, in order, and empties the list; a later call finds it empty and runs nothing.
void runExitHooks();

// Empties the list without running anything (the fatal path).
void clearExitHooks();

}  // namespace deskflip::runtime
