#pragma once

// Shared-utility classes and functions are compiled into every deliverable that uses them;
// glimter.dll additionally exports them, so its copy is built with NT_EXPORTS.
#if defined(_WIN32) && defined(NT_EXPORTS)
#define NT_API __declspec(dllexport)
#else
#define NT_API
#endif
