// Virtual pads made in this process: tests, benchmarks and the scripted walk plug them in.
#pragma once

#include <SDL.h>

// A pad SDL maps as a game controller, null on failure; pads of one product share a GUID. The
// rumble, when given, hears what the game asks of the motors.
using VirtualRumble = int (*)(void *userdata, Uint16 low, Uint16 high);
SDL_Joystick *PlugVirtualPad(int product, VirtualRumble rumble = nullptr, void *userdata = nullptr);
void UnplugVirtualPad(SDL_Joystick *pad);  // null is let be
// TETHRIX_PAD_FEED: a file of "pad N connect|disconnect" and "pad N BUTTON down|up" lines,
// read as it grows, one frame's new lines at a time.
bool StartPadFeed(const char *path);
void PadFeedFrame();
void StopPadFeed();
