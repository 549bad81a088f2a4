// Editing the blacklist and the file it is saved to.
#include <gtest/gtest.h>

#include "program_fixture.h"

namespace vorlix::test {
namespace {

class Blacklist : public ::testing::Test, public ProgramFixture {};

TEST_F(Blacklist, AddSortsIgnoringCaseAndRewritesTheFileByteForByteOnEveryEdit) {
    start();
    for (const char* t : {"b", "  ", "[x] y]", "caf\xC3\xA9 \xFF", "A", "A"}) add_title(t);
    const Lines shown{"[  ]", "[[x] y]]", "[A]", "[A]", "[b]", "[caf\xC3\xA9 \xFF]"};
    EXPECT_EQ(titles(), shown);
    EXPECT_EQ(file("Vorlix.dat"), "  \r\n[x] y]\r\nA\r\nA\r\nb\r\ncaf\xC3\xA9 \xFF\r\n");
    EXPECT_EQ(main().text, "");
    start();
    EXPECT_EQ(titles(), shown);
}

TEST_F(Blacklist, EmptyFieldOrNoSelectionShowsAMessageAndSavesNothing) {
    put_file("Vorlix.dat", "A\r\n");
    start();
    main().events.Command_ADD_Click();
    main().events.Text_Title_KeyDown(13);  // Return
    main().text = "keep?";
    main().events.Text_Title_KeyDown(65);  // other keys are the text box's
    remove_title(-1);
    EXPECT_EQ(toolkit.boxes, (Lines{"Insert a title!", "Insert a title!", "Select a title!"}));
    EXPECT_EQ(main().text, "keep?");
    EXPECT_EQ(disk.count(FsOp::create_new), 0);
    main().events.Text_Title_KeyDown(13);
    EXPECT_EQ(titles(), (Lines{"[A]", "[keep?]"}));
}

TEST_F(Blacklist, AFullBlacklistSaysSoAndAddsAndSavesNothing) {
    std::string full;
    for (int i = 0; i < core::SortedList::kMaxEntries; ++i) full += std::to_string(i) + "\r\n";
    put_file("Vorlix.dat", full);
    start();
    add_title("one more");
    EXPECT_EQ(main().status, "  The blacklist is full (32767 titles)");
    EXPECT_EQ(main().text, "one more");  // kept, so nothing the user typed is lost
    EXPECT_EQ(file("Vorlix.dat"), full);
}

TEST_F(Blacklist, SelectingCopiesTheTitleAndRemoveTakesJustThatEntry) {
    put_file("Vorlix.dat", "A\r\nB\r\nC\r\n");
    start();
    select_title(1);
    EXPECT_EQ(main().text, "B");
    main().events.Command_REMOVE_Click();
    EXPECT_EQ(titles(), (Lines{"[A]", "[C]"}));
    EXPECT_EQ(main().text, "");
    EXPECT_EQ(file("Vorlix.dat"), "A\r\nC\r\n");
    remove_title(0);
    remove_title(0);
    EXPECT_EQ(file("Vorlix.dat"), "");  // an empty list leaves an empty file
}

TEST_F(Blacklist, AFailedSaveKeepsTheOldFileAndTheEditSaysWhyAndTheNextSaveWritesAll) {
    put_file("Vorlix.dat", "A\r\n");
    start();
    disk.fail(FsOp::replace, "/", "Read-only file system", 1);
    add_title("B");
    EXPECT_EQ(file("Vorlix.dat"), "A\r\n");
    EXPECT_EQ(titles(), (Lines{"[A]", "[B]"}));
    EXPECT_EQ(main().status.rfind("  Could not save the blacklist: Moving it over", 0), 0u);
    EXPECT_NE(main().status.find("Read-only file system"), std::string::npos);
    EXPECT_TRUE(toolkit.boxes.empty());
    add_title("C");
    EXPECT_EQ(file("Vorlix.dat"), "A\r\nB\r\nC\r\n");
}

}  // namespace
}  // namespace vorlix::test
