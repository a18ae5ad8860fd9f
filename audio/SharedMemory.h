#pragma once
// TSharedMemory: the named block shared with the outside visualisation
// program, its mutex ("<ShareName>_SMMutex") and the notification sent to
// that program's main window (the top-level window of class "TApplication"
// whose title is TargetApplication) as the registered message
// "WM_SendingData". This program never waits on the mutex; it only exists
// so that the other side can guard its reads.
#include "platform/SharedMemory.h"
#include "platform/X11WindowSystem.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace quaverly {
class IDialogs;
}

namespace quaverly::audio {

// Finds the top-level window of class "TApplication" titled `title`, mapped
// or not; 0 when none.
XWindow FindApplicationWindow(X11WindowSystem &windows, const std::string &title);

class TSharedMemory {
public:
    // `windows` (may be null: no display) and `dialogs` (may be null) outlive this.
    TSharedMemory(X11WindowSystem *windows, IDialogs *dialogs);
    ~TSharedMemory();
    TSharedMemory(const TSharedMemory &) = delete;
    TSharedMemory &operator=(const TSharedMemory &) = delete;

    std::string ShareName;
    std::size_t Size = 0;   // bytes asked for; the mapping is never smaller than a whole frame
    bool ReadOnly = false;
    bool MsgOutOnErr = false;

    const std::string &TargetApplication() const { return targetApplication_; }
    // Stores the trimmed text and, when not empty, looks its window up anew.
    void SetTargetApplication(const std::string &name);
    XWindow TargetWindow() const { return targetWindow_; }
    std::uint32_t SendingDataMsg() const { return sendingDataMsg_; }

    // Creates (or opens) the block and its mutex. True only when no block was
    // held before and both succeeded; on failure nothing is held.
    [[nodiscard]] bool CreateMapping();
    // The block's address (at least Size bytes, at least a frame), or null
    // without a mapping. Read-only when ReadOnly.
    std::uint8_t *MapView();
    void UnmapView(std::uint8_t *view);
    void CloseHandles();
    bool HasMapping() const { return mapping_ != nullptr; }
    std::size_t MappedSize() const;

    // Posts SendingDataMsg with wParam and lParam to the target window; drops
    // it silently (or with a message box when MsgOutOnErr) when there is none.
    void Notify(std::int32_t wParam, std::int32_t lParam);

private:
    X11WindowSystem *windows_;
    IDialogs *dialogs_;
    std::string targetApplication_;
    XWindow targetWindow_ = 0;
    std::uint32_t sendingDataMsg_ = 0;
    std::unique_ptr<SharedMemory> mapping_;
    std::unique_ptr<SharedMemory> readView_;
};

} // namespace quaverly::audio
