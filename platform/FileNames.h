// File names as the system has them. A name is any string of bytes but NUL,
// usually UTF-8 but not always (a file copied from an older system, a
// Latin-1 name from an archive). The toolkit's own conversions replace bytes
// that are not UTF-8 with U+FFFD, after which the file cannot be found; the
// program converts names with these functions instead, which keep every
// byte.
//
// A QString holds a name as its UTF-8 text, with each byte that is not part
// of a valid UTF-8 sequence kept as the lone surrogate U+DC80 to U+DCFF (valid
// UTF-8 never decodes to a lone surrogate, so the bytes come back exactly).
// Such a name is opened with the standard library through FileNameBytes,
// never with the toolkit's file classes. Nothing here depends on the
// process locale.
#pragma once

#include <QString>

#include <string>
#include <string_view>

QString FileNameFromBytes(std::string_view bytes);
std::string FileNameBytes(const QString& name);

// The name made absolute against the current folder and cleaned of "." and
// ".." parts and doubled separators, bytes kept.
QString AbsoluteFileName(const QString& name);

// The file a file dialog means by a name it offers. The dialog lists names
// through the toolkit, which has replaced their bytes that are not UTF-8 with
// U+FFFD: where no file has the name as given, each part that names nothing
// is matched against the entries of its folder as the toolkit lists them,
// and taken when exactly one entry matches. Any other name comes back as it
// is.
QString FileNameOnDisk(const QString& offered);
