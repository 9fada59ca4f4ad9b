// Stand-in for a started program: writes its arguments (each ended by a NUL byte) to the file named
// by VELMARO_ARGS_FILE, then "VELMARO_PORT_DEVICE=value" when that variable is set, sleeps VELMARO_SLEEP_MS,
// then creates VELMARO_DONE_FILE and exits with VELMARO_EXIT_CODE.
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

static long envNumber(const char* name)
{
    const char* text = std::getenv(name);
    return text ? std::strtol(text, nullptr, 10) : 0;
}

int main(int argc, char* argv[])
{
    if (const char* path = std::getenv("VELMARO_ARGS_FILE")) {
        std::ofstream out(path, std::ios::binary);
        for (int i = 1; i < argc; ++i)
            out << argv[i] << '\0';
        if (const char* device = std::getenv("VELMARO_PORT_DEVICE"))
            out << "VELMARO_PORT_DEVICE=" << device << '\0';
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(envNumber("VELMARO_SLEEP_MS")));
    if (const char* done = std::getenv("VELMARO_DONE_FILE"))
        std::ofstream(done) << "done";
    return int(envNumber("VELMARO_EXIT_CODE"));
}
