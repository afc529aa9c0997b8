#include "app/Form1.h"

void Form1::mnuHelp2_Click() { }
void Form1::ShowUsageWindow() { }
