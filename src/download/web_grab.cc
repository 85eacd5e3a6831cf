// The web fetcher and its one internet session.
#include "download/web_grab.h"

#include <utility>

#include "setup/bounded_format.h"
#include "setup/setup_state.h"

namespace download {

wchar_t copyingPrefix[80];
int32_t filesDone;

namespace {

HttpSessionFactory& SessionFactory() {
  static HttpSessionFactory factory;
  return factory;
}

}  // namespace

void SetHttpSessionFactoryForTesting(HttpSessionFactory factory) {
  SessionFactory() = std::move(factory);
}

CWebGrabSession::CWebGrabSession(const wchar_t* agent)
    : session_(SessionFactory() ? SessionFactory()(agent) : platform::CreateHttpSession(agent)) {}

CWebGrabSession::~CWebGrabSession() {
  Close();
}

void CWebGrabSession::Close() {
  session_.reset();
}

CWebGrab::CWebGrab() = default;

CWebGrab::~CWebGrab() {
  CloseSession();
}

int CWebGrab::OpenSession(const wchar_t* agent) {
  CloseSession();
  setup::FormatInto(copyingPrefix, L"%s",
                    setup::state.language == setup::kLanguageFrench ? L"Copie de:" : L"Copying:");
  auto session = std::make_unique<CWebGrabSession>(agent);
  if (!session->IsOpen()) return 0;
  session_ = std::move(session);
  return 1;
}

void CWebGrab::CloseSession() {
  if (!session_) return;
  session_->Close();
  session_.reset();
}

}  // namespace download
