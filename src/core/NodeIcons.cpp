// The icons of a node. Until icon files are copied into the results folder,
// a node keeps the icon numbers the host gives in "IconIndex" and
// "IconSelIndex".
#include "core/AnnalistImp.h"

void CAnnalistImp::ResolveNodeIcons(CDescription&)
{
}

void CAnnalistImp::ResetIconNumbering()
{
}
