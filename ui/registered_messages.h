#pragma once
// Process-wide message numbers by name, from 0xC000 up: the same name
// (compared without regard to case) always gives the same number.

#include <QString>

namespace talven::ui {

inline constexpr uint kFirstRegisteredMessage = 0xC000;
inline constexpr uint kLastRegisteredMessage = 0xFFFF;

// 0 for an empty name or when all numbers are taken. Thread-safe.
uint RegisterWindowMessage(const QString& name);

}  // namespace talven::ui
