// The view test plug-in opened through its exported entry, with its editor
// opened headless on either road, as a host opens them.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>

#include "KIT/IModule/IGraphicsCarbon.h"
#include "KIT/IModule/IGraphicsMac.h"
#include "KIT/IModule/IParam.h"
#include "KIT/IModule/IPopupMenu.h"
#include "platform/audiounit/AudioUnit.h"
#include "platform/view/HeadlessBackend.h"
#include "platform/view/View.h"
#include "tests/view/view_plug.h"

extern "C" ComponentResult VivivI_Entry(ComponentParameters* params, void* storage);
extern "C" ComponentResult VivivI_ViewEntry(ComponentParameters* params, void* storage);
extern "C" void* VivivI_View_uiViewForAudioUnit(AudioUnit unit, float width, float height);

class GuiOnViewTest : public ::testing::Test {
 public:
  enum Road { kHostWindow, kViewFactory };

 protected:
  void SetUp() override {
    setenv("VIVIVI_VIEW", "headless", 1);
    const ComponentDescription description{kAudioUnitType_MusicDevice, static_cast<OSType>(kViewPlugSubtype),
                                           static_cast<OSType>(kViewPlugManufacturer), 0, 0};
    ASSERT_EQ(OpenComponentInstance(VivivI_Entry, &description, nullptr, &m_unit), noErr);
    m_plug = static_cast<ViewTestPlug*>(GetComponentInstanceStorage(m_unit));
    m_gui = static_cast<IGraphicsMac*>(m_plug->GetGUI());
  }
  void TearDown() override {
    CloseEditor();
    if (m_unit) CloseComponentInstance(m_unit);
  }

  // Opens the editor; the pane the host holds.
  ViewPane* OpenEditor(Road road) {
    m_road = road;
    if (road == kHostWindow) {
      const ComponentDescription description{kAudioUnitCarbonViewComponentType,
                                             static_cast<OSType>(kViewPlugSubtype),
                                             static_cast<OSType>(kViewPlugManufacturer), 0, 0};
      EXPECT_EQ(OpenComponentInstance(VivivI_ViewEntry, &description, nullptr, &m_viewComponent), noErr);
      const Float32Point where{0, 0}, size{0, 0};
      ControlRef control = nullptr;
      EXPECT_EQ(AudioUnitCarbonViewCreate(m_viewComponent, m_unit, nullptr, nullptr, &where, &size, &control),
                noErr);
      m_pane = static_cast<ViewPane*>(control);
    } else {
      m_pane = static_cast<ViewPane*>(VivivI_View_uiViewForAudioUnit(m_unit, 0, 0));
      if (m_pane) m_pane->AddToParent(0);
    }
    if (!m_pane) return nullptr;
    m_view = m_gui->GetView();
    m_backend = dynamic_cast<HeadlessBackend*>(m_view->Backend());
    EXPECT_NE(m_backend, nullptr);
    m_pane->Synchronize();
    return m_pane;
  }
  void CloseEditor() {
    if (m_road == kHostWindow && m_viewComponent) CloseComponentInstance(m_viewComponent);
    if (m_road == kViewFactory && m_pane) m_pane->RemoveFromParent();
    m_viewComponent = nullptr;
    m_pane = nullptr;
    m_view = nullptr;
    m_backend = nullptr;
  }
  // Runs the script, then one timer firing and its painting.
  void Run() { m_pane->Synchronize(); }

  // The centre of a control's rectangle.
  static int CX(const IRECT& r) { return (r.L + r.R) / 2; }
  static int CY(const IRECT& r) { return (r.T + r.B) / 2; }

  AudioUnit m_unit = nullptr;
  ViewTestPlug* m_plug = nullptr;
  IGraphicsMac* m_gui = nullptr;
  Road m_road = kHostWindow;
  ComponentInstance m_viewComponent = nullptr;
  ViewPane* m_pane = nullptr;
  View* m_view = nullptr;
  HeadlessBackend* m_backend = nullptr;
};
