#include "mainwindow/main_state.h"

namespace mainwindow {
namespace {

MainState g_main;

}  // namespace

MainState &Main()
{
    return g_main;
}

void ResetMainStateForTest()
{
    g_main = MainState();
}

}  // namespace mainwindow
