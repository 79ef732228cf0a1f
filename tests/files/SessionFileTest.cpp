#include "files/SessionFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace
{
KeptSession Example()
{
    KeptSession session;
    session.nNextObjectNumber = 9;
    // Texts of every kind come back unchanged: not numbers, empty, blanks,
    // line ends, the format's own quote and escape, UTF-8.
    session.objects.push_back({1, 2, 2, 231, 2, "", "", {"1e3b", "", "a b\tc\r\n", "%\"%41\""}});
    session.objects.push_back(
        {4, 1, 3, -40, 5000, "Mul(Add(1,2),3)", "", {"0.5", "-1e-005", "\xC3\xA9"}});
    session.objects.push_back({7, 1, 1, 0, 0, "", "  /tmp/a \"b\"/x.txt", {"7"}});
    session.selection = {7, 1};
    return session;
}

void ExpectSame(const KeptSession& a, const KeptSession& b)
{
    EXPECT_EQ(a.nNextObjectNumber, b.nNextObjectNumber);
    ASSERT_EQ(a.objects.size(), b.objects.size());
    for (std::size_t k = 0; k < a.objects.size(); ++k)
    {
        const KeptObject& x = a.objects[k];
        const KeptObject& y = b.objects[k];
        EXPECT_EQ(x.nNumber, y.nNumber);
        EXPECT_EQ(x.nRows, y.nRows);
        EXPECT_EQ(x.nCols, y.nCols);
        EXPECT_EQ(x.nX, y.nX);
        EXPECT_EQ(x.nY, y.nY);
        EXPECT_EQ(x.strName, y.strName);
        EXPECT_EQ(x.strSuffix, y.strSuffix);
        EXPECT_EQ(x.cells, y.cells);
    }
    EXPECT_EQ(a.selection, b.selection);
}
} // namespace

TEST(SessionFileTest, EverythingKeptComesBackExactly)
{
    const KeptSession session = Example();
    const std::string text = FormatSession(session);
    // One object per line and its rows below, no byte that ends a line
    // inside a text.
    EXPECT_NE(text.find("object 1 2 2 231 2 \"\" \"\"\n\"1e3b\" \"\"\n"), std::string::npos)
        << text;
    KeptSession read;
    std::string strError;
    ASSERT_TRUE(ReadSession(text, read, strError)) << strError;
    ExpectSame(read, session);

    // Any blanks and line ends between words, CR LF included.
    std::string spaced = text;
    for (std::size_t k = 0; (k = spaced.find('\n', k)) != std::string::npos; k += 3)
        spaced.replace(k, 1, " \r\n");
    ASSERT_TRUE(ReadSession(spaced, read, strError)) << strError;
    ExpectSame(read, session);
}

TEST(SessionFileTest, ADamagedFileGivesBackTheWholeObjectsBeforeTheDamage)
{
    const std::string text = FormatSession(Example());
    KeptSession read;
    std::string strError;
    // Cut anywhere: only whole objects come back, the next number above
    // them, and a selection only of objects read.
    for (std::size_t nCut = 0; nCut < text.size() - 4; ++nCut)
    {
        EXPECT_FALSE(ReadSession(text.substr(0, nCut), read, strError)) << nCut;
        EXPECT_FALSE(strError.empty());
        for (const KeptObject& object : read.objects)
        {
            EXPECT_EQ(object.cells.size(), std::size_t(object.nRows * object.nCols));
            EXPECT_GT(read.nNextObjectNumber, object.nNumber);
        }
        for (const int nSelected : read.selection)
            EXPECT_TRUE(std::any_of(read.objects.begin(), read.objects.end(),
                                    [nSelected](const KeptObject& object)
                                    { return object.nNumber == nSelected; }));
    }
    const std::size_t nSecond = text.find("object 4");
    ASSERT_FALSE(ReadSession(text.substr(0, nSecond + 20), read, strError));
    ASSERT_EQ(read.objects.size(), 1u);
    EXPECT_EQ(read.objects[0].cells[0], "1e3b");
    EXPECT_EQ(read.nNextObjectNumber, 9);
    // Without the next number, the next one above those read.
    const std::string noNext = "quindle-session 1\nobject 6 1 1 0 0 \"\" \"\" \"1\"\n";
    EXPECT_FALSE(ReadSession(noNext, read, strError));
    EXPECT_EQ(read.nNextObjectNumber, 7);
}

TEST(SessionFileTest, RefusesWhatNoRunCouldHaveWritten)
{
    KeptSession read;
    std::string strError;
    const std::string head = "quindle-session 1\nnext 5\n";
    const char* refused[] = {
        "",
        "not a session at all",
        "quindle-session 2\nnext 1\nend\n", // a newer version
        "quindle-session x\nend\n",
        "quindle-session 1\nwhatever 1\nend\n",              // an unknown entry
        "quindle-session 1\nobject 1 21 1 0 0 \"\" \"\"\n",  // 21 rows
        "quindle-session 1\nobject 1 1 101 0 0 \"\" \"\"\n", // 101 columns
        "quindle-session 1\nobject 0 1 1 0 0 \"\" \"\" \"1\"\nend\n",
        "quindle-session 1\nobject 1 1 1 0 0 \"\" \"\" \"%4\"\nend\n", // a cut escape
        "quindle-session 1\nobject 1 1 1 0 0 \"\" \"\" \"%GG\"\nend\n",
        "quindle-session 1\nobject 1 1 1 0 0 \"\" \"\" 1\nend\n", // an unquoted text
        "quindle-session 1\nobject 1 1 1 0 0 \"\" \"\" \"1\"\nobject 1 1 1 0 0 \"\" \"\" "
        "\"2\"\nend\n",
        "quindle-session 1\nobject 1 1 1 0 0 \"\" \"\" \"1\"\nselection 1 2\nend\n",
        "quindle-session 1\nobject 1 1 1 0 0 \"\" \"\" \"1\"\nselection 2 1 1\nend\n",
        "quindle-session 1\nobject 1 1 1 99999999999 0 \"\" \"\" \"1\"\nend\n",
    };
    for (const char* pText : refused)
    {
        EXPECT_FALSE(ReadSession(pText, read, strError)) << pText;
        EXPECT_FALSE(strError.empty());
    }
    EXPECT_FALSE(ReadSession(refused[2], read, strError));
    EXPECT_NE(strError.find("newer"), std::string::npos);

    // More cells than can be open at once: 13 objects of 20 x 20.
    std::string many = head;
    std::string cells;
    for (int k = 0; k < 400; ++k)
        cells += "\"1\" ";
    for (int n = 1; n <= 13; ++n)
        many += "object " + std::to_string(n) + " 20 20 0 0 \"\" \"\" " + cells + "\n";
    EXPECT_FALSE(ReadSession(many + "end\n", read, strError));
    EXPECT_EQ(read.objects.size(), 12u);

    // A text longer than any cell or path.
    const std::string huge =
        head + "object 1 1 1 0 0 \"" + std::string(70000, 'x') + "\" \"\" \"1\"\nend\n";
    EXPECT_FALSE(ReadSession(huge, read, strError));
}
