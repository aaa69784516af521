#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "Framework/CWinApp.h"
#include "Framework/CWnd.h"
#include "support/MessagePump.h"

// What the window tests share: an application object, a shown top-level
// window to put controls in, message pumping, GUI object counts and
// screenshots.
namespace KitTest
{
using TestPump::PumpMessages;
using TestPump::PumpUntil;

// GDI and USER objects of this process. GetGuiResources answers on Windows;
// under Wine it answers 0, and the GDI count is then read from the process's
// GDI handle table and the USER count is the number of the process's windows.
DWORD GdiObjectCount();
DWORD UserObjectCount();

// A click as the mouse would make it: the button-up is queued first, so
// controls that track the mouse after a button-down find it at once.
void Click(HWND window, POINT clientPoint);
POINT CentreOf(HWND window);

// Saves the window's area of the screen as a BMP (and, when ImageMagick is
// at hand in the folder, nothing more: conversion is done outside) into
// $QM_ARTIFACTS; returns the Windows path written or "" on failure.
std::string SaveScreenshot(HWND window, const std::string& name);
// The colour on the screen at a point of a window's client area.
COLORREF ScreenPixel(HWND window, POINT clientPoint);

// A test with an application object and a shown frame window.
class WindowTest : public testing::Test
{
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    CWinApp m_app{"Quillomar"};
    CWnd m_frame;
};
}
