// CAtlException: an exception that carries one HRESULT. The pattern engine raises it for an index
// out of range; other code of the program raises it for a failed string allocation or an unexpected
// null. This header uses no Windows header: the HRESULT values the program needs are defined here.
#pragma once

#include <cstdint>
#include <exception>

// An HRESULT: a 32-bit signed status code, negative for a failure.
using HResultCode = std::int32_t;

// E_INVALIDARG: an index or argument out of range.
constexpr HResultCode HResultInvalidArgument = static_cast<HResultCode>(0x80070057u);
// E_FAIL: an unexpected null.
constexpr HResultCode HResultFail = static_cast<HResultCode>(0x80004005u);
// E_OUTOFMEMORY: a string or array that cannot be allocated.
constexpr HResultCode HResultOutOfMemory = static_cast<HResultCode>(0x8007000Eu);

class CAtlException : public std::exception {
public:
    explicit CAtlException(HResultCode code) noexcept : hr(code) {}

    // Names the code when it is one of the three above ("CAtlException E_INVALIDARG").
    const char* what() const noexcept override;

    HResultCode hr;
};
