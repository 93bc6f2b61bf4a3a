#include "res/ControlIds.h"
#include "res/DialogTemplate.h"

namespace brindle {
namespace {

// The progress window: one smooth, bordered progress bar. Its caption is
// replaced before it is shown.
constexpr ControlTemplate kProgressControls[] = {
    {id::kProgressBar, ControlKind::Progress, "", 7, 7, 276, 13},
};

constexpr DialogTemplate kProgressDialog{id::kProgressTemplate, "Dialog", 290, 28,
                                         kProgressControls};

}  // namespace

const DialogTemplate& ProgressDialogTemplate() { return kProgressDialog; }

}  // namespace brindle
