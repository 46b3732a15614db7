// Must not compile: the display layer reaching up into the window. The layering test builds this
// file against the display library alone and passes only when the build fails.
#include "ui/Form1.h"

int main() {
    return 0;
}
