#pragma once
// The message box's button modes: only "confirm_btn", or "confirm_btn" and
// "cancel_btn". Panels pass them to whatever shows their messages.

namespace talven {

inline constexpr int kMsgButtonsConfirm = 0;
inline constexpr int kMsgButtonsConfirmCancel = 1;

}  // namespace talven
