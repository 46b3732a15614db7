// The settings file: SAVE PORT, and the write and read of the port settings.
#include "ui/Form1.h"

void Form1::Save_Menu_Click() {
    state_.SaveRequested = true;
    LoadSaveFiles();
}

void Form1::LoadSaveFiles() {
    state_.SaveRequested = false;
    state_.LoadRequested = false;
}
