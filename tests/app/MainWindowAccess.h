// The one way of the tests and the benchmarks into the main window beyond its messages: its
// parts (controls, catalogue, measurements) and the steps that its messages and start-up run.
#pragma once

#include "app/RootWindow.h"

#include <string>
#include <vector>

class MainWindowAccess {
public:
    explicit MainWindowAccess(RootWindow& window)
        : window(window), hwnd(window.hwnd), playerPath(window.playerPath),
          catalogue(window.catalogue), knownVideoExtensions(window.knownVideoExtensions),
          knownAudioExtensions(window.knownAudioExtensions), font(window.font),
          listView(window.listView), setAssociationsButton(window.setAssociationsButton),
          openIdfButton(window.openIdfButton),
          shellExtensionCheckBox(window.shellExtensionCheckBox), imageList(window.imageList),
          contextMenu(window.contextMenu.get()) {}

    void BuildCatalogue() { window.BuildCatalogue(); }
    void BuildKnownVideoSet() { window.BuildKnownVideoSet(); }
    void BuildKnownAudioSet() { window.BuildKnownAudioSet(); }
    void ProbeRegisteredIcons() { window.ProbeRegisteredIcons(); }
    void FillExtensionList() { window.FillExtensionList(); }
    void SetPickers(std::unique_ptr<ModalPickers> pickers) {
        window.SetPickers(std::move(pickers));
    }

    void LayoutControls(int width, int height) { window.LayoutControls(width, height); }
    LayoutMeasures Measures() const { return window.Measures(); }
    std::vector<int> AddRowImages() {
        return window.imageList.AddRowImages(window.catalogue, window.playerPath);
    }
    void AddExtensionRows(const std::vector<int>& images) { window.AddExtensionRows(images); }
    void RebuildExtensionList() { window.RebuildExtensionList(); }
    void FitWindowToList() { window.FitWindowToList(); }
    void ShowAssociationMarks() { window.ShowAssociationMarks(); }
    void ShowContextMenu(int x, int y) { window.ShowContextMenu(x, y); }
    void ChooseIcon(int item) { window.ChooseIcon(item); }

    RootWindow& window;
    HWND& hwnd;
    std::wstring& playerPath;
    ExtensionCatalogue& catalogue;
    ExtensionSet& knownVideoExtensions;
    ExtensionSet& knownAudioExtensions;
    const DialogFont& font;
    HWND& listView;
    HWND& setAssociationsButton;
    HWND& openIdfButton;
    HWND& shellExtensionCheckBox;
    const RowImages& imageList;
    HMENU contextMenu;
};
