// A list box view that applies every call to its own copy of the entries, so
// a test can compare what a user would see with what the list holds.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "platform/toolkit.h"

namespace vorlix::test {

class RecordingListView : public platform::ListBoxView {
public:
    void insert(int pos, std::string_view text) override {
        ++calls;
        ASSERT_GE(pos, 0);
        ASSERT_LE(pos, static_cast<int>(shown.size()));
        shown.insert(shown.begin() + pos, std::string(text));
        if (selection >= pos) ++selection;
    }
    void remove(int pos) override {
        ++calls;
        ASSERT_GE(pos, 0);
        ASSERT_LT(pos, static_cast<int>(shown.size()));
        shown.erase(shown.begin() + pos);
        if (selection == pos) {
            selection = -1;
        } else if (selection > pos) {
            --selection;
        }
    }
    void clear() override {
        ++calls;
        ++clears;
        shown.clear();
        selection = -1;
    }
    int selected() const override { return selection; }
    void focus() override {}

    std::vector<std::string> shown;
    int selection = -1;
    int calls = 0;
    int clears = 0;
};

}  // namespace vorlix::test
