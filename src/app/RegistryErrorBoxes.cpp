#include "app/RegistryErrorBoxes.h"

#include <windows.h>

namespace {

void ShowRegistryError(const CRegistryKey::Exception& failure) {
    const std::wstring text = failure.GetErrorMessage();
    MessageBoxW(nullptr, text.c_str(), failure.GetWhere(), MB_ICONERROR);
}

} // namespace

void RegistryErrorBoxes::TypeFailed(const std::wstring&, const CRegistryKey::Exception& failure) {
    ShowRegistryError(failure);
}

void RegistryErrorBoxes::ApplicationFailed(const CRegistryKey::Exception& failure) {
    ShowRegistryError(failure);
}
