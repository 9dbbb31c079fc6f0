// The pictures of a step: the snapshot that the host's reporter takes and the
// picture that the user's script hands over. Until they are saved, a step
// keeps the bottom-pane file the host gives.
#include "core/AnnalistImp.h"

HRESULT CAnnalistImp::SaveStepSnapshot(CDescription&, const CBstrString&, EventNode&, VARIANT*)
{
    return S_OK;
}

HRESULT CAnnalistImp::SaveUsersPicture(CDescription&, const CBstrString&, EventNode&, VARIANT*)
{
    return S_FALSE;
}
