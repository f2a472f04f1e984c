#include "moderation.h"

#include <cstdio>

#include "api/submission_json.h"
#include "api/submit.h"

namespace {

int Hidden(int count, const std::string& what) {
    std::printf("cave-board: hid %d run%s of %s\n", count, count == 1 ? "" : "s", what.c_str());
    return 0;
}

int HideRun(Store& runs, const std::string& id) {
    const int count = runs.Hide(id);
    if (count == 0) {
        // Hidden already or never kept: a listing by name tells which.
        std::fprintf(stderr, "cave-board: --hide: no run '%s' that is not hidden already\n",
                     id.c_str());
        return 1;
    }
    return Hidden(count, "'" + id + "'");
}

int List(Store& runs, const std::string& name) {
    for (const Run& run : runs.RunsNamed(name)) {
        std::printf("%s %lld %s %s%s\n", run.Id.c_str(), static_cast<long long>(run.Points),
                    BoardName(run).c_str(), run.Date.c_str(), run.Hidden ? " hidden" : "");
    }
    return 0;
}

}  // namespace

bool IsModeration(const BoardOptions& options) {
    return !options.Hide.empty() || !options.HideName.empty() || !options.ListName.empty();
}

int Moderate(const BoardOptions& options, Store& runs) {
    if (!options.Hide.empty()) return HideRun(runs, options.Hide);
    // Names are kept as the board cleaned them: trimmed.
    const std::string& asked = options.HideName.empty() ? options.ListName : options.HideName;
    const std::optional<std::string> name = CleanName(asked);
    if (!name) {
        std::fprintf(stderr, "cave-board: not a name the board keeps: '%s'\n", asked.c_str());
        return 2;
    }
    if (!options.HideName.empty()) return Hidden(runs.HideName(*name), "'" + *name + "'");
    return List(runs, *name);
}
