// The message loop and the pumps share one routing of messages.
#include "message_routing.h"

#include "app_state.h"

void RouteMessage(MSG* message) {
    if (app.transfer.running) {
        if (message->message == WM_QUIT) {
            app.transfer.quitReceived = true;
            app.transfer.quitExitCode = message->wParam;
            return;
        }
        if (IsWindow(app.progressWindow) && IsDialogMessageA(app.mainWindow, message))
            return;
    } else if (TranslateAcceleratorA(app.mainWindow, app.accelerators, message)) {
        return;
    }
    TranslateMessage(message);
    DispatchMessageA(message);
}

int RunMessageLoop() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        RouteMessage(&message);
    return static_cast<int>(message.wParam);
}

void PumpPendingMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        RouteMessage(&message);
}

void WaitPumpingMessages(DWORD milliseconds, DWORD since) {
    while (static_cast<LONG>(GetTickCount() - since) < static_cast<LONG>(milliseconds)) {
        MSG message;
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            RouteMessage(&message);
        else
            Sleep(1);
    }
}
