#pragma once

#include <windows.h>

#include <string>

// Answering the system's dialogs (file dialogs and message boxes) as a user would.

// Whether the dialog has a file name box (an open or save dialog).
bool IsFileDialog(HWND dialog);
// Puts name into the file dialog's name box and confirms it; an empty name cancels the
// dialog. False when the dialog has no name box.
bool AnswerFileDialog(HWND dialog, const std::wstring& name);
// The texts of the dialog's static controls, one after the other (a message box's message).
std::wstring DialogText(HWND dialog);
// Presses Yes, or OK where there is no Yes.
void AnswerMessageBox(HWND dialog);
