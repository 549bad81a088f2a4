// Editing the blacklist and the file it is saved to.
#include "program_fixture.h"

namespace vorlix::test {
namespace {

using Blacklist = ProgramTest;

TEST_F(Blacklist, AddSortsIgnoringCaseAndRewritesTheFileEachTime) {
    start();
    add_title("b");
    EXPECT_EQ(*file("Vorlix.dat"), "b\r\n");
    add_title("A");
    add_title("c");
    EXPECT_EQ(titles(), (Lines{"[A]", "[b]", "[c]"}));
    EXPECT_EQ(*file("Vorlix.dat"), "A\r\nb\r\nc\r\n");
    EXPECT_EQ(main().title_text(), "");
    EXPECT_EQ(files.calls_of(FsOp::replace).size(), 3u);
}

TEST_F(Blacklist, TitlesAreKeptByteForByte) {
    start();
    add_title("  ");
    add_title("[x] y]");
    add_title("caf\xC3\xA9 \xFF\xFE");  // invalid UTF-8 survives
    add_title("A");
    add_title("A");
    EXPECT_EQ(titles(), (Lines{"[  ]", "[[x] y]]", "[A]", "[A]", "[caf\xC3\xA9 \xFF\xFE]"}));
    EXPECT_EQ(*file("Vorlix.dat"), "  \r\n[x] y]\r\nA\r\nA\r\ncaf\xC3\xA9 \xFF\xFE\r\n");

    main().select_title(1);
    EXPECT_EQ(main().title_text(), "[x] y]");
    program.reset();
    start();
    EXPECT_EQ(titles(), (Lines{"[  ]", "[[x] y]]", "[A]", "[A]", "[caf\xC3\xA9 \xFF\xFE]"}));
}

TEST_F(Blacklist, EmptyFieldShowsInsertATitleAndSavesNothing) {
    start();
    main().click_add();
    main().key_down(13);
    ASSERT_EQ(toolkit.message_boxes().size(), 2u);
    for (const auto& box : toolkit.message_boxes()) {
        EXPECT_EQ(box.text, "Insert a title!");
        EXPECT_EQ(box.caption, "Vorlix");
        EXPECT_EQ(box.flags, 0x30);
    }
    EXPECT_FALSE(file("Vorlix.dat"));
}

TEST_F(Blacklist, ReturnAddsOnceThenFindsTheFieldEmpty) {
    start();
    main().type_title("Pop");
    main().key_down(13, 1);  // shift state is not looked at
    main().key_down(13);
    main().key_down(65);  // other keys are left to the text box
    EXPECT_EQ(titles(), Lines{"[Pop]"});
    ASSERT_EQ(toolkit.message_boxes().size(), 1u);
    EXPECT_EQ(toolkit.message_boxes()[0].text, "Insert a title!");
}

TEST_F(Blacklist, RemoveNeedsASelectionAndRemovesJustThatEntry) {
    put_file("Vorlix.dat", "A\r\nB\r\nC\r\n");
    start();
    main().type_title("keep?");
    main().click_remove();
    ASSERT_EQ(toolkit.message_boxes().size(), 1u);
    EXPECT_EQ(toolkit.message_boxes()[0].text, "Select a title!");
    EXPECT_EQ(toolkit.message_boxes()[0].flags, 0x30);
    EXPECT_EQ(main().title_text(), "keep?");
    EXPECT_EQ(*file("Vorlix.dat"), "A\r\nB\r\nC\r\n");

    main().select_title(1);
    EXPECT_EQ(main().title_text(), "B");
    main().click_remove();
    EXPECT_EQ(titles(), (Lines{"[A]", "[C]"}));
    EXPECT_EQ(main().list().selected(), -1);
    EXPECT_EQ(main().title_text(), "");
    EXPECT_EQ(*file("Vorlix.dat"), "A\r\nC\r\n");
}

TEST_F(Blacklist, RemovingTheLastEntryLeavesAnEmptyFile) {
    put_file("Vorlix.dat", "A");
    start();
    main().select_title(0);
    main().click_remove();
    EXPECT_EQ(*file("Vorlix.dat"), "");
    program.reset();
    start();
    EXPECT_TRUE(titles().empty());
    EXPECT_EQ(main().status(), "");
}

TEST_F(Blacklist, SelectingCopiesTheTitleWithoutSaving) {
    put_file("Vorlix.dat", "Win a prize\r\n");
    start();
    files.clear_calls();
    main().select_title(0);
    EXPECT_EQ(main().title_text(), "Win a prize");
    EXPECT_TRUE(files.calls_of(FsOp::create_new).empty());
}

TEST_F(Blacklist, ClickWithoutSelectionChangesNothing) {
    put_file("Vorlix.dat", "A\r\n");
    start();
    main().type_title("typed");
    main().select_title(-1);
    EXPECT_EQ(main().title_text(), "typed");
}

TEST_F(Blacklist, SaveYieldsOncePerLineAndWritesOnce) {
    put_file("Vorlix.dat", "A\r\nB\r\n");
    start();
    files.clear_calls();
    const long before = toolkit.yields();
    add_title("C");
    EXPECT_EQ(toolkit.yields() - before, 3);
    EXPECT_EQ(files.calls_of(FsOp::create_new).size(), 1u);
    EXPECT_EQ(files.calls_of(FsOp::replace).size(), 1u);
}

TEST_F(Blacklist, FailedSaveKeepsTheOldFileAndTheEditAndSaysWhy) {
    put_file("Vorlix.dat", "A\r\n");
    start();
    files.fail_write_after(path("Vorlix.dat") + "*", 2);
    add_title("B");
    EXPECT_EQ(*file("Vorlix.dat"), "A\r\n");
    EXPECT_EQ(titles(), (Lines{"[A]", "[B]"}));
    EXPECT_EQ(main().title_text(), "");
    EXPECT_EQ(main().status().rfind("  Could not save the blacklist: ", 0), 0u);
    EXPECT_NE(main().status().find("No space left on device"), std::string::npos);
    EXPECT_TRUE(toolkit.message_boxes().empty());
    EXPECT_EQ(file_names(), Lines{path("Vorlix.dat")});  // no leftovers

    files.clear_failures();
    add_title("C");
    EXPECT_EQ(*file("Vorlix.dat"), "A\r\nB\r\nC\r\n");
}

TEST_F(Blacklist, FailedReplaceLeavesTheOldFileWhole) {
    put_file("Vorlix.dat", "A\r\n");
    start();
    files.fail(FsOp::replace, "*", "Permission denied");
    main().select_title(0);
    main().click_remove();
    EXPECT_EQ(*file("Vorlix.dat"), "A\r\n");
    EXPECT_TRUE(titles().empty());
    EXPECT_NE(main().status().find("Permission denied"), std::string::npos);
}

}  // namespace
}  // namespace vorlix::test
