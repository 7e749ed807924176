// Program entry: start-up in its fixed order, the message loop, shut-down.

#include "app/AppShell.h"

int main(int argc, char** argv) { return RunApplication(argc, argv, AppOptions{}); }
