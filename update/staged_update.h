// The staged update edge: at the start, before the runtime is chosen, the
// files of the update folder replace the application's, all or none.
#pragma once

#include <string>

namespace update {


// `executablePath`'s folder receives the files below `relativeFolder` there
// when its `ready` file exists. Finishes or undoes first what a start killed
// half-way left in the journal, and removes the executable an earlier update
// set aside. Every step and refusal is logged; a refused or failed update
// leaves every file of the application as it was and writes `failed` into
// the update folder. True when the executable or its settings file, which
// this start has already read, was among the files replaced.
bool ApplyStagedUpdate(const std::wstring& executablePath, const std::wstring& settingsFile,
                                const std::wstring& relativeFolder);

}  // namespace update
