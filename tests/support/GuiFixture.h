#pragma once
// What the tests of pages and windows put in place of the program's own services: an
// empty profile in memory, messages recorded instead of shown, and jobs run to their end
// on a thread of their own without a progress window. The class-wide coding values and
// the sign factor are put back afterwards.

#include <gtest/gtest.h>

#include "core/common/Profile.h"
#include "core/jobs/JobRunner.h"
#include "core/jobs/Messenger.h"
#include "support/ClassWideValues.h"

class CGuiFixture : public ::testing::Test {
 protected:
  const CClassWideValues m_classWide;
  CMemoryProfile m_profile;
  CScopedProfile m_scopedProfile{&m_profile};
  CRecordingMessenger m_messenger;
  CScopedMessenger m_scopedMessenger{&m_messenger};
  CThreadJobRunner m_runner{false};
  CScopedJobRunner m_scopedRunner{&m_runner};
};
