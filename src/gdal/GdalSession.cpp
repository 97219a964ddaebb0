#include "gdal/GdalSession.h"

#include <cpl_error.h>
#include <gdal.h>

#include <mutex>

namespace {

void CPL_STDCALL CollectMessage(CPLErr level, CPLErrorNum, const char* message) {
  auto* messages = static_cast<CGdalErrorCapture::Messages*>(CPLGetErrorHandlerUserData());
  if (messages == nullptr || message == nullptr || level == CE_None || level == CE_Debug) return;
  (level == CE_Warning ? messages->warnings : messages->errors).emplace_back(message);
}

}  // namespace

void EnsureGdalRegistered() {
  static std::once_flag once;
  std::call_once(once, [] { GDALAllRegister(); });
}

CGdalErrorCapture::CGdalErrorCapture() { CPLPushErrorHandlerEx(CollectMessage, &m_messages); }

CGdalErrorCapture::~CGdalErrorCapture() { CPLPopErrorHandler(); }

std::string CGdalErrorCapture::GetErrorText() const {
  std::string text;
  for (const std::string& error : m_messages.errors) {
    if (!text.empty()) text += "; ";
    text += error;
  }
  return text;
}
