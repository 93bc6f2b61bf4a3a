#pragma once
// Shared helpers of the tests that run real windows under Xvfb.
#include <wx/window.h>

#include <functional>
#include <string>

namespace brindle::test {

// Saves what the screen shows of `window` (frame included) as a PNG.
bool SaveWindowScreenshot(wxWindow* window, const std::string& path);

// Runs `step` once the event loop of a modal dialog is running.
void AfterIdle(wxWindow* window, std::function<void()> step);

// Sends a button click to the control `id` of `window`, as a user's click does.
void ClickButton(wxWindow* window, int id);

// Where a test writes its screenshots (BRINDLE_SCREENSHOT_DIR, else the
// current directory).
std::string ScreenshotPath(const std::string& name);

}  // namespace brindle::test
