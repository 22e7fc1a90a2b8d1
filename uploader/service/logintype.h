#pragma once

#include <string>

// Login types sent with the sign-in request.
enum LoginType { kLoginUserName = 0, kLoginMobile = 1, kLoginEmail = 2 };

// Decides the login type of a user name: an e-mail form anywhere in it gives kLoginEmail,
// otherwise "1" followed by ten digits anywhere gives kLoginMobile, otherwise kLoginUserName.
// Returns 0 (the patterns are built in, so there is nothing that can fail to compile).
int DetectLoginType(const std::wstring& userName, int& loginType);
