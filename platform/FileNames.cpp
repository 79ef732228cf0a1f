#include "platform/FileNames.h"

#include <QFile>
#include <QStringList>

#include <filesystem>
#include <system_error>

namespace
{
constexpr char32_t kEscapeBase = 0xDC00;

// The length of the valid UTF-8 sequence at the start of bytes, and its code
// point; 0 when the first byte starts none (overlong forms, encoded
// surrogates and values above U+10FFFF are not valid).
std::size_t DecodeOne(std::string_view bytes, char32_t& c)
{
    const auto byte = [&bytes](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char lead = byte(0);
    std::size_t nLength = 0;
    char32_t nMin = 0;
    if (lead < 0x80)
    {
        c = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF)
    {
        nLength = 2;
        c = lead & 0x1F;
        nMin = 0x80;
    }
    else if (lead >= 0xE0 && lead <= 0xEF)
    {
        nLength = 3;
        c = lead & 0x0F;
        nMin = 0x800;
    }
    else if (lead >= 0xF0 && lead <= 0xF4)
    {
        nLength = 4;
        c = lead & 0x07;
        nMin = 0x10000;
    }
    else
        return 0;
    if (bytes.size() < nLength)
        return 0;
    for (std::size_t k = 1; k < nLength; ++k)
    {
        if ((byte(k) & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (byte(k) & 0x3F);
    }
    if (c < nMin || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    return nLength;
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80)
        out += static_cast<char>(c);
    else if (c < 0x800)
    {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    else if (c < 0x10000)
    {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    else
    {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool Exists(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}
} // namespace

QString FileNameFromBytes(std::string_view bytes)
{
    QString name;
    name.reserve(static_cast<qsizetype>(bytes.size()));
    while (!bytes.empty())
    {
        char32_t c = 0;
        std::size_t nLength = DecodeOne(bytes, c);
        if (nLength == 0)
        {
            c = kEscapeBase + static_cast<unsigned char>(bytes.front());
            nLength = 1;
        }
        if (c >= 0x10000)
        {
            name += QChar(QChar::highSurrogate(c));
            name += QChar(QChar::lowSurrogate(c));
        }
        else
            name += QChar(static_cast<char16_t>(c));
        bytes.remove_prefix(nLength);
    }
    return name;
}

std::string FileNameBytes(const QString& name)
{
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(name.size()));
    for (qsizetype k = 0; k < name.size(); ++k)
    {
        const char16_t unit = name.at(k).unicode();
        if (QChar::isHighSurrogate(unit) && k + 1 < name.size() &&
            QChar::isLowSurrogate(name.at(k + 1).unicode()))
        {
            AppendUtf8(bytes, QChar::surrogateToUcs4(unit, name.at(k + 1).unicode()));
            ++k;
        }
        else if (unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF)
            bytes += static_cast<char>(unit - kEscapeBase);
        else
            AppendUtf8(bytes, unit);
    }
    return bytes;
}

QString AbsoluteFileName(const QString& name)
{
    std::filesystem::path path(FileNameBytes(name));
    if (path.is_relative())
    {
        std::error_code error;
        path = std::filesystem::current_path(error) / path;
    }
    std::string text = path.lexically_normal().native();
    // "/x/" names the folder /x as well.
    if (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return FileNameFromBytes(text);
}

QString FileNameOnDisk(const QString& offered)
{
    const std::filesystem::path given(FileNameBytes(offered));
    if (offered.isEmpty() || Exists(given) || !offered.contains(QChar::ReplacementCharacter))
        return offered;
    std::filesystem::path found = given.root_path();
    for (const std::filesystem::path& part : given.relative_path())
    {
        std::filesystem::path next = found / part;
        const QString listed = QFile::decodeName(QByteArray::fromStdString(part.native()));
        if (!Exists(next) && listed.contains(QChar::ReplacementCharacter))
        {
            int nMatches = 0;
            std::error_code error;
            for (std::filesystem::directory_iterator it(found.empty() ? "." : found, error), end;
                 !error && it != end; it.increment(error))
            {
                const std::filesystem::path entry = it->path().filename();
                if (QFile::decodeName(QByteArray::fromStdString(entry.native())) == listed)
                {
                    next = found / entry;
                    ++nMatches;
                }
            }
            if (nMatches != 1)
                return offered;
        }
        found = std::move(next);
    }
    return FileNameFromBytes(found.native());
}
