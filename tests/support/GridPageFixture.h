#pragma once
// What a test of the grid file page sets up: a grid model to show, a scratch folder,
// recorded messages and jobs run on a thread of their own, with the class-wide coding
// values put back afterwards.

#include <gtest/gtest.h>

#include "core/grid/GridInt.h"
#include "core/jobs/JobRunner.h"
#include "core/jobs/Messenger.h"
#include "support/ClassWideValues.h"
#include "support/TestSupport.h"

class CGridPageFixture : public ::testing::Test {
 protected:
  const CClassWideValues m_classWide;  // put back after the test
  CScratchDir m_dir;
  CRecordingMessenger m_messenger;
  CScopedMessenger m_scopedMessenger{&m_messenger};
  CThreadJobRunner m_runner{false};
  CScopedJobRunner m_scopedRunner{&m_runner};
  CGridInt m_grid;
};
