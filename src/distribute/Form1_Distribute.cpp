#include "app/Form1.h"

void Form1::Label1_DragDrop(int, float, float) { }
void Form1::Label1_DragOver(int, int) { }
void Form1::Picture1_DragDrop(float, float) { }
void Form1::Image1_DragDrop(int, float, float) { }
void Form1::Label2_DragDrop(float, float) { }
void Form1::UndoLast() { }
void Form1::mnuDel1_Click() { }
