// Which window system the program runs on.
//
// The program places its windows itself: the main dialog at its template
// position, object windows in a cascade, the About box at the dialog's
// corner. A Wayland client cannot place its windows, so where a Wayland
// desktop also offers an X display (Xwayland, as GNOME and KDE do: DISPLAY and
// WAYLAND_DISPLAY both set) the program runs on X11, with Wayland only as the
// fallback should the X display not answer. With Wayland alone it runs on
// Wayland. A platform the user has chosen is left as it is.
//
// Standard library only: main() decides before the toolkit starts.
#pragma once

#include <optional>
#include <string>

// Qt's own option that names the platform: "-platform NAME" (or with two
// dashes). The toolkit takes the option and its value out of the arguments.
bool IsPlatformOption(const char* pArgument);

// The platform list to set for the toolkit (QT_QPA_PLATFORM), from the
// values of DISPLAY and QT_QPA_PLATFORM and the arguments, or nothing to
// leave the toolkit its own choice: nothing when the user has chosen a
// platform (QT_QPA_PLATFORM set, or the -platform option among the
// arguments) or there is no X display; "xcb;wayland" when there is one (the
// toolkit itself would put Wayland first wherever a Wayland display is
// there). Null or empty values count as not set; argv holds argc arguments,
// the program's name first.
std::optional<std::string> ChooseDisplaySystem(const char* pDisplay, const char* pPlatform,
                                               int argc, const char* const* argv);
