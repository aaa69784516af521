#pragma once

class CAbstractProcess;

// The engine's factory object, handed out by Create. The order of the virtual
// operations is shared by the program and qmsag.dll.
class CAbstractTolvEngineInterface
{
public:
    virtual ~CAbstractTolvEngineInterface() = default;

    virtual CAbstractProcess* CreateEngineProcess() = 0;
    virtual void DestroyEngineProcess(CAbstractProcess* process) = 0;
    virtual CAbstractProcess* CreateEngineProcess2() = 0;
};
