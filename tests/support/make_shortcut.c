/* Writes one Windows shortcut (.lnk) through the shell's own link object
 * (IShellLinkW + IPersistFile::Save), for comparing Grabwell's reader with
 * what Windows (here: Wine) writes. Built with MinGW and run under wine by
 * tools/make-wine-shortcuts.sh:
 *
 *   make_shortcut.exe OUT.lnk TARGET [ARGUMENTS [WORKING_DIR [DESCRIPTION
 *                     [ICON_PATH [ICON_INDEX [SHOW_COMMAND [HOTKEY]]]]]]]
 *
 * An empty argument leaves that field unset. Exit status 0 when the file was
 * written; otherwise the failing call and its HRESULT on standard error.
 */
#define COBJMACROS
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <stdio.h>
#include <wchar.h>
#include <stdlib.h>

static int Fail(const char *what, HRESULT hr) {
    fprintf(stderr, "make_shortcut: %s failed: 0x%08lx\n", what, (unsigned long)hr);
    return 1;
}

static const wchar_t *Arg(int argc, wchar_t **argv, int i) {
    return i < argc && argv[i][0] ? argv[i] : NULL;
}

int wmain(int argc, wchar_t **argv) {
    IShellLinkW *link = NULL;
    IPersistFile *file = NULL;
    HRESULT hr;
    const wchar_t *s;
    if (argc < 3) {
        fprintf(stderr, "usage: make_shortcut OUT.lnk TARGET [ARGUMENTS [WORKING_DIR [DESCRIPTION "
                        "[ICON_PATH [ICON_INDEX [SHOW_COMMAND [HOTKEY]]]]]]]\n");
        return 2;
    }
    hr = CoInitialize(NULL);
    if (FAILED(hr)) return Fail("CoInitialize", hr);
    hr = CoCreateInstance(&CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, &IID_IShellLinkW, (void **)&link);
    if (FAILED(hr)) return Fail("CoCreateInstance(ShellLink)", hr);
    hr = IShellLinkW_SetPath(link, argv[2]);
    if (FAILED(hr)) return Fail("SetPath", hr);
    if ((s = Arg(argc, argv, 3)) && FAILED(hr = IShellLinkW_SetArguments(link, s))) return Fail("SetArguments", hr);
    if ((s = Arg(argc, argv, 4)) && FAILED(hr = IShellLinkW_SetWorkingDirectory(link, s)))
        return Fail("SetWorkingDirectory", hr);
    if ((s = Arg(argc, argv, 5)) && FAILED(hr = IShellLinkW_SetDescription(link, s))) return Fail("SetDescription", hr);
    if ((s = Arg(argc, argv, 6))) {
        const wchar_t *index = Arg(argc, argv, 7);
        hr = IShellLinkW_SetIconLocation(link, s, index ? _wtoi(index) : 0);
        if (FAILED(hr)) return Fail("SetIconLocation", hr);
    }
    if ((s = Arg(argc, argv, 8)) && FAILED(hr = IShellLinkW_SetShowCmd(link, _wtoi(s)))) return Fail("SetShowCmd", hr);
    if ((s = Arg(argc, argv, 9)) && FAILED(hr = IShellLinkW_SetHotkey(link, (WORD)wcstoul(s, NULL, 0))))
        return Fail("SetHotkey", hr);
    hr = IShellLinkW_QueryInterface(link, &IID_IPersistFile, (void **)&file);
    if (FAILED(hr)) return Fail("QueryInterface(IPersistFile)", hr);
    hr = IPersistFile_Save(file, argv[1], TRUE);
    if (FAILED(hr)) return Fail("IPersistFile::Save", hr);
    IPersistFile_Release(file);
    IShellLinkW_Release(link);
    CoUninitialize();
    return 0;
}
