// Shared pieces of the reliability tests: the consistency of the main
// dialog's shared state and the process's own memory and input figures.
#pragma once

#include "WindowTest.h"

#include <QList>
#include <QStringList>

#include <ostream>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kAddressSanitizer = true;
#else
inline constexpr bool kAddressSanitizer = false;
#endif
#else
inline constexpr bool kAddressSanitizer = false;
#endif

// Checks what the registry cannot make true by itself: the list box holds
// exactly the numbers of the open objects in the same order, numbers rise;
// the selection holds at most two distinct open objects; the cell count is
// the sum over the open objects and within the budget; and the object
// windows that exist are exactly those of the list. Deferred deletes must
// have been processed. Returns the first fault found, or "".
std::string CheckDialogState(const CHollastrinDlg& dlg);

// Everything a refused request has to leave as it was.
struct DialogSnapshot
{
    int nObjects = 0;
    int nNextObjectNumber = 0;
    int nEditControlCount = 0;
    QList<CEntryControlView*> selected;
    QStringList listEntries;

    bool operator==(const DialogSnapshot&) const = default;
};
DialogSnapshot TakeSnapshot(const CHollastrinDlg& dlg);
void PrintTo(const DialogSnapshot& s, std::ostream* os);

// Figures of this process from /proc: resident bytes now, the peak since the
// start (or the last reset), and the bytes read from files so far. -1 when
// not available.
long long ResidentBytes();
long long PeakResidentBytes();
long long BytesRead();
// Lowers the peak to the current resident size; false when not supported.
bool ResetPeakResident();
