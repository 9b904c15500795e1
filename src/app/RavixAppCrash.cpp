#include "app/RavixAppBase.h"
#include "crash/CrashHandler.h"
#include "crash/CrashSubmission.h"

#include <cstdio>

namespace ravix {

void RavixAppBase::HideAndSilence() {
    if (mMusic) {
        mMusic->SetMusicVolume(0);
    }
    mPlatform->HideMainWindow();
    mWindowHidden = true;
    ApplyCursorShape();
}

std::string RavixAppBase::DescribeSession() {
    const int64_t seconds = (Now() - mConstructionTick) / 1000;
    char time[64];
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", static_cast<int>(seconds / 3600),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    char thread[32];
    std::snprintf(thread, sizeof thread, "%lX", static_cast<unsigned long>(mMainThreadNumber));
    return "Product: " + mProductName + "\r\nVersion: " + mVersionText +
           "\r\nTime Loaded: " + time + "\r\nFullscreen: " + (mWindowedNow ? "No" : "Yes") +
           "\r\nPrimary ThreadId: " + thread + "\r\n";
}

std::string RavixAppBase::SaveDemoForCrashReport() {
    if (!mDemo.IsRecording()) {
        return "";
    }
    WriteDemoFillerEvent();
    WriteDemoFile();
    return mDemo.Path();
}

void RavixAppBase::StopDemo() {
    mDemo.SetMode(DemoSession::Mode::Off);
}

void RavixAppBase::RefreshCrashContext() {
    mLastCrashContextTick = Now();
    if (gApplication != this) {
        return;
    }
    std::map<std::string, std::string> fields;
    AddReportFields(fields);
    PublishCrashContext(
        {mDataFolder, DescribeSession(), mProductName, mVersionText, EncodeReportFields(fields)});
}

} // namespace ravix
