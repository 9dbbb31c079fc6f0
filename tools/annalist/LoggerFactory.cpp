#include "annalist/LoggerFactory.h"

HRESULT CreateLogger(CInterfacePtr<ILogMedia3>& logger)
{
    logger.Release();
    return AnnalistCreateLogger(logger.Out());
}
