#pragma once
#include "Engine/CAbstractTolvEngineInterface.h"

// The factory object that Create hands out; it has no state of its own.
class CTolvEngineInterface : public CAbstractTolvEngineInterface
{
public:
    ~CTolvEngineInterface() override = default;

    CAbstractProcess* CreateEngineProcess() override;
    void DestroyEngineProcess(CAbstractProcess* process) override;
    CAbstractProcess* CreateEngineProcess2() override;
};
