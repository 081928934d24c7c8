// The runtime's exceptions, their messages and the conversion helpers.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

namespace corvane {

// Messages of the runtime, in the runtime's own words.
namespace msg {
inline constexpr const char* SInvalidInteger = "'%s' ist kein gültiger Integerwert";
inline constexpr const char* SFCreateError = "Datei %s kann nicht erstellt werden";
inline constexpr const char* SFOpenError = "Datei %s kann nicht geöffnet werden";
inline constexpr const char* SReadError = "Stream-Read-Fehler";
inline constexpr const char* SWriteError = "Stream-Write-Fehler";
inline constexpr const char* SOutOfMemory = "Zu wenig Arbeitsspeicher";
inline constexpr const char* SAssignError = "%s kann nicht zu  %s zugewiesen werden";
inline constexpr const char* SInOutError = "E/A-Fehler %d";
inline constexpr const char* SFileNotFound = "Datei nicht gefunden";
inline constexpr const char* SFileNotOpen = "Datei nicht offen";
inline constexpr const char* SInvalidPropertyValue = "Ungültiger Eigenschaftswert";
inline constexpr const char* SUnknownProperty = "Eigenschaft %s existiert nicht";
inline constexpr const char* SClassNotFound = "Klasse %s nicht gefunden";
inline constexpr const char* SInvalidFormat = "Ungültiges Format der Formulardaten: %s";
inline constexpr const char* SMethodNotFound = "Methode %s nicht gefunden";
inline constexpr const char* SResNotFound = "Ressource %s nicht gefunden";
}  // namespace msg

// "%s" takes the text argument, "%d" the number; "%%" is a percent sign.
std::string Format(std::string_view format, std::string_view text);
std::string Format(std::string_view format, long long number);
std::string Format(std::string_view format, std::string_view first, std::string_view second);
std::string Format(std::string_view format, long long first, long long second, long long third);

// The base of every exception the system raises: a message, and a class name
// for the error box and the tests.
class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& Message() const { return message_; }
  virtual const char* ClassName() const { return "Exception"; }

 private:
  std::string message_;
};

#define CORVANE_EXCEPTION(Name, Base)                                 \
  class Name : public Base {                                          \
   public:                                                            \
    using Base::Base;                                                 \
    const char* ClassName() const override { return #Name; }          \
  }

CORVANE_EXCEPTION(EConvertError, Exception);
CORVANE_EXCEPTION(EOutOfMemory, Exception);
CORVANE_EXCEPTION(EInvalidOperation, Exception);
CORVANE_EXCEPTION(EStreamError, Exception);
CORVANE_EXCEPTION(EReadError, EStreamError);
CORVANE_EXCEPTION(EWriteError, EStreamError);
CORVANE_EXCEPTION(EFCreateError, EStreamError);
CORVANE_EXCEPTION(EFOpenError, EStreamError);
CORVANE_EXCEPTION(EResNotFound, Exception);
CORVANE_EXCEPTION(EInvalidGraphic, Exception);
CORVANE_EXCEPTION(EInvalidGraphicOperation, Exception);
CORVANE_EXCEPTION(EOutOfResources, EOutOfMemory);

// An input/output error of the runtime's file routines, with the platform's
// error number.
class EInOutError : public Exception {
 public:
  EInOutError(int code, std::string message) : Exception(std::move(message)), ErrorCode(code) {}
  const char* ClassName() const override { return "EInOutError"; }
  int ErrorCode;
};

// Makes the runtime's input/output error for an errno value.
EInOutError InOutError(int errnoValue);

// A whole number in decimal (leading blanks and a sign allowed), as 32 bits;
// anything else raises EConvertError with "'%s' ist kein gültiger Integerwert".
std::int32_t StrToInt(std::string_view text);

// Whether a regular file (or a link to one) is at `path`; anything else there
// counts as nothing.
bool FileExists(const std::string& path);

}  // namespace corvane
