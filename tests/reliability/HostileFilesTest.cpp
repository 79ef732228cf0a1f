// Hostile files through the real "File Load": each ends in its message or in
// a correct object, and a refused file changes nothing else.
#include "ReliabilitySupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>

namespace
{
constexpr long long kMiB = 1024 * 1024;

class HostileFilesTest : public ReliabilityTest
{
protected:
    void SetUp() override
    {
        ReliabilityTest::SetUp();
        // Two objects, one of them selected: loading must not touch either.
        Zeroed(1, 2, {"1", "2"});
        RightClick(Zeroed(2, 2, {"3", "4", "5", "6"}));
        ASSERT_EQ(m_pDlg->Registry().SelectedList().size(), 1);
    }

    // Loads the path through "File Load"; returns the new object or null.
    // Whatever happens, the dialog's state stays consistent; when nothing
    // opens, nothing else changes either.
    CEntryControlView* Load(const QString& path)
    {
        const DialogSnapshot before = TakeSnapshot(*m_pDlg);
        m_messages.clear();
        m_choices.append(path);
        Press(IDC_FILE_LOAD);
        EXPECT_TRUE(m_choices.isEmpty());
        EXPECT_EQ(CheckDialogState(*m_pDlg), "");
        if (ObjectCount() == before.nObjects)
        {
            EXPECT_EQ(TakeSnapshot(*m_pDlg), before);
            return nullptr;
        }
        // A loaded object takes the next number and leaves the selection.
        EXPECT_EQ(ObjectCount(), before.nObjects + 1);
        EXPECT_EQ(m_pDlg->Registry().NextObjectNumber(), before.nNextObjectNumber + 1);
        EXPECT_EQ(m_pDlg->Registry().SelectedList(), before.selected);
        return m_pDlg->Registry().ObjectList().last();
    }

    // The bytes as a file, refused with the format message.
    void ExpectRefused(const char* pWhat, const QByteArray& bytes)
    {
        const QString path = PathOf("hostile.txt");
        WriteBytes(path, bytes);
        EXPECT_EQ(Load(path), nullptr) << pWhat;
        EXPECT_EQ(m_messages, QStringList{FormatMessage(path)}) << pWhat;
    }

    // A file of nBytes bytes: the head, then filler repeated, written a
    // megabyte at a time so that the test itself holds little.
    static void WriteLargeFile(const QString& path, const QByteArray& head, char cFiller,
                               long long nBytes, const QByteArray& tail = {})
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(head), head.size());
        const QByteArray chunk(kMiB, cFiller);
        for (long long n = head.size(); n < nBytes; n += chunk.size())
            ASSERT_EQ(file.write(chunk.constData(), std::min<long long>(chunk.size(), nBytes - n)),
                      std::min<long long>(chunk.size(), nBytes - n));
        ASSERT_EQ(file.write(tail), tail.size());
    }
};

TEST_F(HostileFilesTest, GarbageAndForeignEncodingsGetTheFormatMessage)
{
    const QByteArray valid = "1 2 |\r\n7 8 |\r\n";

    // Random bytes of every value, short and long.
    std::mt19937 rng(20240611);
    for (int k = 0; k < 20; ++k)
    {
        QByteArray garbage(static_cast<int>(1 + rng() % (k < 10 ? 64 : 65536)), '\0');
        for (char& c : garbage)
            c = static_cast<char>(rng() % 256);
        ExpectRefused("binary garbage", garbage);
    }
    ExpectRefused("NUL bytes only", QByteArray(4096, '\0'));
    ExpectRefused("an executable's header", QByteArray("\x7f"
                                                       "ELF\x02\x01\x01",
                                                       7) +
                                                valid);

    // NUL bytes inside a number, a size and a separator.
    ExpectRefused("NUL inside a value", QByteArray("1 2 |\r\n7\0"
                                                   "5 8 |\r\n",
                                                   15));
    ExpectRefused("NUL after a value", QByteArray("1 2 |\r\n7 8\0 |\r\n", 15));
    ExpectRefused("NUL inside a size", QByteArray("1\0"
                                                  "2 2 |\r\n7 8 |\r\n",
                                                  15));
    ExpectRefused("NUL before a bar", QByteArray("1 2 \0|\r\n7 8 |\r\n", 15));

    // Byte-order marks and UTF-16 text of a valid object.
    ExpectRefused("UTF-8 byte-order mark", "\xEF\xBB\xBF" + valid);
    QByteArray utf16le = "\xFF\xFE";
    QByteArray utf16be = "\xFE\xFF";
    QByteArray utf16NoMark;
    for (const char c : valid)
    {
        utf16le += QByteArray(1, c) + QByteArray(1, '\0');
        utf16be += QByteArray(1, '\0') + QByteArray(1, c);
        utf16NoMark += QByteArray(1, c) + QByteArray(1, '\0');
    }
    ExpectRefused("UTF-16LE", utf16le);
    ExpectRefused("UTF-16BE", utf16be);
    ExpectRefused("UTF-16LE without a mark", utf16NoMark);

    EXPECT_EQ(m_pDlg->Registry().NextObjectNumber(), 3);
}

TEST_F(HostileFilesTest, ValuesOutsideTheNumberFormGetTheFormatMessage)
{
    for (const char* pValue : {"1e400",    "-1e400",  "1e99999999999999999999",
                               "nan",      "NaN",     "-nan",
                               "inf",      "-inf",    "INF",
                               "infinity", "0x10",    "0X1p3",
                               "1,5",      "1.5.2",   "1e",
                               "1e+",      "--1",     "+-1",
                               "½",        "\xD9\xA1"})
    {
        ExpectRefused(pValue, QByteArray("1 2 |\r\n7 ") + pValue + " |\r\n");
    }
    // Far below the smallest double is a finite 0; a number of 1000
    // characters is still read.
    CEntryControlView* pView = nullptr;
    const QString path = PathOf("small.txt");
    WriteBytes(path, "1 2 |\r\n1e-400 0." + QByteArray(997, '0') + "1 |\r\n");
    pView = Load(path);
    ASSERT_NE(pView, nullptr);
    EXPECT_EQ(CellTexts(pView), (QStringList{"0", "0"}));
    EXPECT_TRUE(m_messages.isEmpty());
}

TEST_F(HostileFilesTest, SizesOutsideOneToTwentyByOneToHundredGetTheFormatMessage)
{
    // Each would read as 1 x 1 (or 1 x 2) if the size wrapped around or was
    // cut at the point, so the one value row after it fits.
    for (const char* pSizes : {"4294967297 1",
                               "1 4294967297",
                               "4294967296 1",
                               "-4294967295 1",
                               "1 -4294967295",
                               "18446744073709551617 1",
                               "1 18446744073709551617",
                               "-18446744073709551615 1",
                               "2147483648 1",
                               "-2147483648 1",
                               "99999999999999999999999999999 1",
                               "-1 1",
                               "1 -1",
                               "0 1",
                               "1 0",
                               "-0 1",
                               "00 1",
                               "21 1",
                               "1 101",
                               "1.5 1",
                               "1.0 1",
                               "1 1.9",
                               "1e0 1",
                               "0x1 1",
                               "+ 1",
                               "1 +",
                               "2 1e0"})
    {
        ExpectRefused(pSizes, QByteArray(pSizes) + " |\r\n5 |\r\n");
    }
    // The largest sizes, with leading zeros and signs, still load.
    const QString path = PathOf("sizes.txt");
    WriteBytes(path, "+01 0002 |\r\n5 6 |\r\n");
    CEntryControlView* pView = Load(path);
    ASSERT_NE(pView, nullptr);
    EXPECT_EQ(CellTexts(pView), (QStringList{"5", "6"}));
}

TEST_F(HostileFilesTest, LineEndsOfEveryKindLoad)
{
    const QByteArray files[] = {"2 2 |\r1 2 |\r3 4 |\r",              // CR only
                                "2 2 |\n1 2 |\n3 4 |",                // LF, no final line end
                                "2 2 |\r\r\n1 2 |\n\r3 4 |\r\n",      // mixed
                                "\v\f 2\t2\f|\v1 2\t|\r\n3 4 |\f",    // other blanks
                                "\r\n\r\n\r\n2 2 | 1 2 | 3 4 |\r\n"}; // blank lines first
    for (const QByteArray& bytes : files)
    {
        const QString path = PathOf("lines.txt");
        WriteBytes(path, bytes);
        CEntryControlView* pView = Load(path);
        ASSERT_NE(pView, nullptr) << bytes.toStdString();
        EXPECT_EQ(CellTexts(pView), (QStringList{"1", "2", "3", "4"}));
        EXPECT_TRUE(m_messages.isEmpty());
    }
}

// A word of 50 MB is refused as it is read, without being held.
TEST_F(HostileFilesTest, FiftyMegabyteWordIsRefusedInLittleMemory)
{
    const QString path = PathOf("word.txt");
    const long long nSize = 50 * kMiB;
    struct Case
    {
        const char* pWhat;
        QByteArray head;
        char cFiller;
        QByteArray tail;
    };
    const Case cases[] = {
        {"digits as the row count", "", '1', " 1 |\r\n5 |\r\n"},
        {"digits as a value", "1 1 |\r\n", '7', " |\r\n"},
        {"a value of zeros and a one", "1 1 |\r\n0.", '0', "1 |\r\n"},
        {"bars as the separator", "1 1 ", '|', "\r\n5 |\r\n"},
        {"letters", "", 'x', ""},
    };
    for (const Case& c : cases)
    {
        WriteLargeFile(path, c.head, c.cFiller, nSize, c.tail);
        ASSERT_EQ(QFileInfo(path).size(), nSize + c.tail.size());
        const bool bReset = ResetPeakResident();
        const long long nBefore = bReset ? ResidentBytes() : PeakResidentBytes();
        EXPECT_EQ(Load(path), nullptr) << c.pWhat;
        EXPECT_EQ(m_messages, QStringList{FormatMessage(path)}) << c.pWhat;
        const long long nGrowth = PeakResidentBytes() - nBefore;
        if (nBefore > 0)
        {
            EXPECT_LT(nGrowth, 16 * kMiB) << c.pWhat;
        }
    }
    QFile::remove(path);
}

// A valid object at the head of a 200 MB file: reading stops after its last
// row, so the rest is never read.
TEST_F(HostileFilesTest, TwoHundredMegabyteFileLoadsFromItsHead)
{
    const QString path = PathOf("huge.txt");
    const QByteArray head = "2 3 |\r\n1 2.5 -3 |\r\n0.5 1e-005 7 |\r\nrest of the file:";
    WriteBytes(path, head);
    // Sparse: the rest reads as NUL bytes without taking disk space.
    const long long nSize = 200 * kMiB;
    ASSERT_EQ(truncate(QFile::encodeName(path).constData(), nSize), 0);
    ASSERT_EQ(QFileInfo(path).size(), nSize);

    const long long nReadBefore = BytesRead();
    CEntryControlView* pView = Load(path);
    const long long nRead = BytesRead() - nReadBefore;
    QFile::remove(path);
    ASSERT_NE(pView, nullptr);
    EXPECT_TRUE(m_messages.isEmpty());
    EXPECT_EQ(CellTexts(pView), (QStringList{"1", "2.5", "-3", "0.5", "1E-005", "7"}));
    if (nReadBefore >= 0)
    {
        EXPECT_LT(nRead, 4 * kMiB);
    }
}

// Paths that are no plain file when the load opens them. (A folder, a FIFO
// and a missing file are chosen directly in the command tests.)
TEST_F(HostileFilesTest, PathsThatAreNoFileCannotBeOpened)
{
    const QByteArray valid = "1 1 |\r\n5 |\r\n";
    const QString fifo = PathOf("fifo");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(fifo, PathOf("link-to-fifo")));
    ASSERT_TRUE(QFile::link(m_dir.path(), PathOf("link-to-folder")));
    ASSERT_TRUE(QFile::link(PathOf("nowhere.txt"), PathOf("dangling-link")));
    WriteBytes(PathOf("file.txt"), valid);

    const QString paths[] = {PathOf("link-to-fifo"),       PathOf("link-to-folder"),
                             PathOf("dangling-link"),      PathOf("file.txt/"),
                             PathOf("file.txt/inner.txt"), QString(),
                             QStringLiteral("/dev/zero"),  QStringLiteral("/dev/null")};
    for (const QString& path : paths)
    {
        EXPECT_EQ(Load(path), nullptr) << path.toStdString();
        EXPECT_EQ(m_messages, QStringList{MessageText::kFileNotOpened}) << path.toStdString();
    }

    // A FIFO with a writer waiting to hand over a valid object.
    const int nWriter = open(QFile::encodeName(fifo).constData(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(nWriter, 0);
    ASSERT_EQ(write(nWriter, valid.constData(), valid.size()), valid.size());
    EXPECT_EQ(Load(fifo), nullptr);
    EXPECT_EQ(m_messages, QStringList{MessageText::kFileNotOpened});
    close(nWriter);
}

// The file goes away, or turns into something else, while the dialog that
// chose it is still open.
TEST_F(HostileFilesTest, FileChangedBetweenChoosingAndOpening)
{
    const QString path = PathOf("chosen.txt");
    const QByteArray valid = "1 1 |\r\n5 |\r\n";

    WriteBytes(path, valid);
    m_whileDialogOpen = [&] { QFile::remove(path); };
    EXPECT_EQ(Load(path), nullptr);
    EXPECT_EQ(m_messages, QStringList{MessageText::kFileNotOpened});

    WriteBytes(path, valid);
    m_whileDialogOpen = [&]
    {
        QFile::remove(path);
        QDir().mkdir(path);
    };
    EXPECT_EQ(Load(path), nullptr);
    EXPECT_EQ(m_messages, QStringList{MessageText::kFileNotOpened});
    QDir().rmdir(path);

    WriteBytes(path, valid);
    m_whileDialogOpen = [&] { WriteBytes(path, "1 1 |\r\n"); };
    EXPECT_EQ(Load(path), nullptr);
    EXPECT_EQ(m_messages, QStringList{FormatMessage(path)});

    // The selected object closed meanwhile: the load still opens its object.
    WriteBytes(path, valid);
    m_whileDialogOpen = [&]
    {
        m_pDlg->Registry().SelectedList().at(0)->Frame()->close();
        ProcessDeferredDeletes();
    };
    m_messages.clear();
    m_choices.append(path);
    Press(IDC_FILE_LOAD);
    EXPECT_EQ(CheckDialogState(*m_pDlg), "");
    EXPECT_TRUE(m_messages.isEmpty());
    ASSERT_EQ(ObjectCount(), 2);
    EXPECT_EQ(CellTexts(m_pDlg->Registry().ObjectList().last()), QStringList{"5"});
    EXPECT_TRUE(m_pDlg->Registry().SelectedList().isEmpty());
}
} // namespace
