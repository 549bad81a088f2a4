// The toolkit a benchmark runs on: the real Qt one when this build has it
// (on the X display named by $DISPLAY), else the tests' fake, whose yield
// costs next to nothing. The name says which, for the table.
#pragma once

#include <memory>
#include <string>

#include "platform/toolkit.h"
#include "x_server.h"

namespace vorlix::bench {

class ToolkitHost {
public:
    virtual ~ToolkitHost() = default;
    virtual platform::Toolkit& toolkit() = 0;
    virtual const char* name() const = 0;
    // A trial of list boxes that take every row to be as high as the first,
    // so a layout need not measure each row's text. False when the toolkit
    // has nothing to try it on.
    virtual bool try_uniform_rows() { return false; }
};

// `want_qt` false, or a build without Qt, gives the fake toolkit.
std::unique_ptr<ToolkitHost> make_toolkit(bool want_qt, int& argc, char** argv);

// "--toolkit fake" among the arguments asks for the fake.
bool wants_qt(int argc, char** argv);

// A private Xvfb without a window manager, made $DISPLAY, and the toolkit
// the arguments ask for on it. Null server: it could not start (said on
// stderr).
struct XSession {
    std::unique_ptr<test::XServer> server;
    std::string display;
    std::unique_ptr<ToolkitHost> host;
};
XSession start_x_session(int& argc, char** argv);

}  // namespace vorlix::bench
