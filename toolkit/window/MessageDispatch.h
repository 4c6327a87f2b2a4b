// The link between platform messages and window objects: the two window
// procedures of the toolkit's classes, which rewrite keys, characters and
// input-method text and hand each message to its object as an event; the
// main message loop and the modal loop with its idle passes. Everything
// runs on the one user-interface thread.
#pragma once

#include <windows.h>

class qvWindow;

// The procedures of "__qvWindowClassName" and "__qvMDIWindowClassName".
LRESULT CALLBACK OrdinaryWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK MdiChildWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Builds the event for a message and calls the handler its kind selects.
// True means the platform's default processing is to run; otherwise the
// window procedure answers with result.
bool DispatchEvent(qvWindow* window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

// The application's main loop; returns the quit message's code.
int RunMessageLoop();

// Runs until EndMessageLoop while every other top-level window of the thread
// is disabled. The caller made and showed modalWindow and destroys it after.
int RunModalLoop(HWND modalWindow);

// Ends the running modal loop after the current message, or with no modal
// loop running posts the quit message that ends the main loop. The running
// state is one flag for all loops: after an inner modal loop has ended, this
// posts a quit message, which an outer modal loop takes as its end.
void EndMessageLoop();

// Calls OnIdle on every window of the focused toolkit window's subtree,
// children before their parents.
void RunIdlePass();

// Idle passes run after every message. Between messages the loops run them
// only while some window asks (a scroll bar repeating while its button is
// held): then about every 1 ms in the main loop and every 30 ms in a modal
// loop; while nobody asks, the loops sleep until the next message comes.
// A requester (any address, typically the window) asks once and cancels
// once; cancelling what was not asked does nothing.
void RequestIdlePasses(const void* requester);
void CancelIdlePasses(const void* requester);
bool IdlePassesRequested();

// Process-wide platform windows that an MDI application would set; this
// program never does, so they stay null.
HWND MdiClientWindow();
HWND FrameWindow();
HACCEL FrameAccelerators();

// The modal loop's flags, for tests and diagnostics.
bool ModalLoopActive();
int ModalDepth();
