#include "EndLink.h"

#include "Controls.h"

bool endLink(D2xx& d2xx, FT_HANDLE handle, ListBox& log) {
    if (d2xx.FT_CyclePort(handle) != FT_OK) {
        log.AddItem("CyclePort failed");
        return false;
    }
    if (d2xx.FT_Close(handle) != FT_OK) {
        log.AddItem("Close Failed");
        return false;
    }
    return true;
}
