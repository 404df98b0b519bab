// The messengers of either width that the capture cases follow. Part of the driver, not of
// the support the benchmarks share: a messenger left out is a part of a case skipped.
#include "e2e.h"
#include "program_win32.h"

namespace e2e {

std::vector<MessengerBuild> MessengerBuilds() {
    const auto name = [](bool own) { return std::string((sizeof(void*) == 8) == own ? "64" : "32") + "-bit messenger"; };
    std::vector<MessengerBuild> builds{{name(true), DriverFolder() + L"parlowen-demo-chat.exe"}};
    wchar_t other[MAX_PATH] = L"";
    if (const std::string why = Wine32Missing(); sizeof(void*) == 8 && !why.empty())
        SkipPart("the " + name(false), why);
    else if (::GetEnvironmentVariableW(L"PARLOWEN_OTHER_WIDTH_DEMO_CHAT", other, MAX_PATH) == 0)
        Fail(__FILE__, __LINE__, "PARLOWEN_OTHER_WIDTH_DEMO_CHAT names no demo chat of the other width");
    else
        builds.push_back({name(false), other});
    return builds;
}

}  // namespace e2e
