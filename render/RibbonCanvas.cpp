#include "render/RibbonCanvas.h"

void RibbonCanvas::setMapMode(CanvasMapping::Mode mode)
{
    CanvasMapping m = mapping();
    m.setMode(mode);
    setMapping(m);
}

void RibbonCanvas::setWindowOrg(QPoint org)
{
    CanvasMapping m = mapping();
    m.setWindowOrg(org);
    setMapping(m);
}

void RibbonCanvas::setWindowExt(QSize ext)
{
    CanvasMapping m = mapping();
    m.setWindowExt(ext);
    setMapping(m);
}

void RibbonCanvas::setViewportOrg(QPoint org)
{
    CanvasMapping m = mapping();
    m.setViewportOrg(org);
    setMapping(m);
}

void RibbonCanvas::setViewportExt(QSize ext)
{
    CanvasMapping m = mapping();
    m.setViewportExt(ext);
    setMapping(m);
}
