#pragma once

#include <windows.h>

#include <string>

// Real input, as the user gives it: it goes through the system's input queue to whichever
// window is under the cursor or has the focus. Each step lets this thread's loop settle after.

void MoveMouse(POINT screen);
void MouseButton(bool down);
void Click(POINT screen);
void DoubleClick(POINT screen);
void RightClick(POINT screen);
// Presses at from, moves there in two steps (so both the start and the end of the move are
// seen) and releases.
void Drag(POINT from, POINT to);
// Presses at from, drags to to and releases, for drags that enter the system's move loop: the
// loop runs inside this thread's message dispatch until the button is released, so the hand
// moving the mouse is another thread.
void DragThroughMoveLoop(POINT from, POINT to);
// Types the text as Unicode characters into the focused field.
void TypeText(const std::wstring& text);
void PressKey(WORD vk);
// The modifier held down around one press of key, e.g. (VK_CONTROL, 'S').
void KeyCombo(WORD modifier, WORD key);
// Presses or releases one key and leaves it so, e.g. Shift held through a drag.
void HoldKey(WORD vk, bool down);

// The colour on the screen at that point, as 0xRRGGBB.
DWORD ScreenPixel(POINT screen);
