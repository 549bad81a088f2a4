// End to end: the built Vorlix, copied into a folder of its own with its
// data files, runs on a private X server with openbox next to windows of
// another client, and does its job on them.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "test_window.h"
#include "x_server.h"

namespace vorlix::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

template <class Done>
bool wait_for(Done done, std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

// What the window manager manages, read over a connection of the test's own.
class Desktop {
public:
    explicit Desktop(const std::string& display) : c_(xcb_connect(display.c_str(), nullptr)) {
        root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
    }
    ~Desktop() { xcb_disconnect(c_); }
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    xcb_atom_t atom(const char* name) {
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> r(
            xcb_intern_atom_reply(
                c_, xcb_intern_atom(c_, 0, std::uint16_t(std::strlen(name)), name), nullptr),
            &std::free);
        return r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    }

    std::vector<std::uint8_t> property(xcb_window_t w, xcb_atom_t a) {
        std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> r(
            xcb_get_property_reply(
                c_, xcb_get_property(c_, 0, w, a, XCB_GET_PROPERTY_TYPE_ANY, 0, 4096), nullptr),
            &std::free);
        if (!r) return {};
        const auto* bytes = static_cast<const std::uint8_t*>(xcb_get_property_value(r.get()));
        return {bytes, bytes + xcb_get_property_value_length(r.get())};
    }

    // The managed window with this _NET_WM_NAME, or 0.
    xcb_window_t find(const std::string& title) {
        const auto list = property(root_, atom("_NET_CLIENT_LIST"));
        for (std::size_t i = 0; i + 4 <= list.size(); i += 4) {
            xcb_window_t w;
            std::memcpy(&w, &list[i], 4);
            const auto name = property(w, atom("_NET_WM_NAME"));
            if (std::string(name.begin(), name.end()) == title) return w;
        }
        return 0;
    }

    // The window's frame on the screen: x, y, width, height.
    std::vector<int> frame(xcb_window_t w) {
        std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> g(
            xcb_get_geometry_reply(c_, xcb_get_geometry(c_, w), nullptr), &std::free);
        std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(&std::free)> t(
            xcb_translate_coordinates_reply(c_, xcb_translate_coordinates(c_, w, root_, 0, 0),
                                            nullptr),
            &std::free);
        const auto extents = property(w, atom("_NET_FRAME_EXTENTS"));
        std::uint32_t e[4] = {0, 0, 0, 0};
        if (extents.size() == 16) std::memcpy(e, extents.data(), 16);
        if (!g || !t) return {0, 0, 0, 0};
        return {t->dst_x - int(e[0]), t->dst_y - int(e[2]), g->width + int(e[0] + e[1]),
                g->height + int(e[2] + e[3])};
    }

    void ask_to_close(xcb_window_t w) { request_close(c_, w); }

private:
    xcb_connection_t* c_;
    xcb_window_t root_ = 0;
};

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        auto started = XServer::start(true);
        ASSERT_TRUE(started) << started.error().message;
        session = std::move(started.value());
        std::string t = (fs::temp_directory_path() / "vorlix e2e XXXXXX").string();
        folder = ::mkdtemp(t.data());
        fs::copy_file(VORLIX_EXECUTABLE, folder / "Vorlix");
    }
    void TearDown() override {
        stop_child(vorlix);
        session.reset();
        fs::remove_all(folder);
    }

    void write(const fs::path& p, const std::string& bytes) {
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
    }

    void start_vorlix() {
        const std::string exe = (folder / "Vorlix").string();
        const char* argv[] = {exe.c_str(), nullptr};
        fs::create_directories(folder / "runtime");
        fs::permissions(folder / "runtime", fs::perms::owner_all);
        vorlix = spawn_with_display(
            argv, session->display(),
            {"XDG_CONFIG_HOME=" + (folder / "config").string(),
             "XDG_RUNTIME_DIR=" + (folder / "runtime").string(), "QT_QPA_PLATFORM=xcb"});
        ASSERT_GT(vorlix, 0);
    }

    std::unique_ptr<XServer> session;
    fs::path folder;
    pid_t vorlix = -1;
};

TEST_F(EndToEnd, ClosesBlacklistedPopupsLearnsBrowsersAndKeepsItsAutostartCurrent) {
    write(folder / "Vorlix.dat", "Win a prize\r\n");
    write(folder / "Vorlix.cfg", "Timer=500\r\n");
    const fs::path entry = folder / "config" / "autostart" / "Kelto_Vorlix.desktop";
    write(entry, "[Desktop Entry]\nType=Application\nName=Vorlix\nExec=/old/copy/Vorlix\n");

    TestWindow popup(session->display(), "Win a prize - Microsoft Internet Explorer");
    TestWindow bare(session->display(), "Win a prize");
    TestWindow netscape(session->display(), "Home - Netscape 6");
    ASSERT_TRUE(popup.ok() && bare.ok() && netscape.ok());
    Desktop desktop(session->display());
    ASSERT_TRUE(wait_for([&] { return desktop.find("Home - Netscape 6") != 0; }, 3s));

    start_vorlix();
    xcb_window_t main_window = 0;
    ASSERT_TRUE(
        wait_for([&] { return (main_window = desktop.find("Vorlix v1.14 (build 47)")) != 0; }, 10s))
        << "Vorlix's main window never appeared";
    const auto shown = std::chrono::steady_clock::now();

    // Scanning starts as the windows are shown; one interval later the popup
    // is asked to close, and only the popup.
    EXPECT_TRUE(popup.close_requested(500ms + 500ms))
        << "no close request within one 500 ms interval";
    EXPECT_FALSE(bare.close_requested(1200ms)) << "a title without a browser was closed";
    EXPECT_FALSE(netscape.close_requested(0ms));
    EXPECT_GE(std::chrono::steady_clock::now() - shown, 1200ms);

    // "Home - Netscape 6" taught the name "Netscape 6".
    const fs::path names = folder / "Vorlix_BrowserName.dat";
    EXPECT_TRUE(wait_for([&] { return fs::exists(names); }, 2s));
    EXPECT_EQ(slurp(names), "Microsoft Internet Explorer\r\nNetscape 6\r\n");

    // The autostart entry of another copy now names this one (the folder's
    // name has blanks, so the program is quoted).
    const std::string text = slurp(entry);
    EXPECT_NE(text.find("\nExec=\"" + (folder / "Vorlix").string() + "\"\n"), std::string::npos)
        << text;

    // Both windows, docked, for the record.
    const xcb_window_t panel = desktop.find("Vorlix - Window List");
    ASSERT_NE(panel, 0u);
    std::vector<int> m, p;
    ASSERT_TRUE(wait_for(
        [&] {
            m = desktop.frame(main_window);
            p = desktop.frame(panel);
            return p[0] == m[0] + m[2] + 2 && p[1] == m[1];
        },
        2s))
        << "panel frame at " << p[0] << "," << p[1] << ", main frame at " << m[0] << "," << m[1]
        << " size " << m[2];
    const std::string crop = std::to_string(p[0] + p[2] - m[0] + 16) + "x" +
                             std::to_string(std::max(m[3], p[3]) + 16) + "+" +
                             std::to_string(m[0] - 8) + "+" + std::to_string(m[1] - 8);
    const std::string shot = VORLIX_SCREENSHOT;
    const char* import[] = {"import",     "-window", "root",       "-crop",
                            crop.c_str(), "+repage", shot.c_str(), nullptr};
    const pid_t importer = spawn_with_display(import, session->display());
    int status = -1;
    ASSERT_EQ(::waitpid(importer, &status, 0), importer);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(fs::exists(shot));

    // Closing the main window ends the program at once.
    desktop.ask_to_close(main_window);
    EXPECT_TRUE(wait_for([&] { return ::waitpid(vorlix, &status, WNOHANG) == vorlix; }, 3s))
        << "Vorlix did not end when its main window closed";
    vorlix = -1;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
}  // namespace vorlix::testing
