#include "app/Form1.h"

void Form1::mnuOpt2_Click() { }
void Form1::mnuOpt3_Click() { }
void Form1::ShowOptionsModeless() { }
