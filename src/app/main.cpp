// Vorlix takes no command line of its own; argc and argv reach the toolkit
// only.
#include "app/program.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
    auto platform = vorlix::platform::make_platform(argc, argv);
    auto services = platform->services();
    vorlix::app::Program program(services);
    program.start();
    return services.toolkit.run();
}
