// CSurface: the control object as COM sees it.  It answers for identity,
// the interface table and dispatch, and holds the parts that own the state:
// the grid, the renderer, the embedding and the scripts.
#pragma once

#include <windows.h>

#include "common/identifiers.h"
#include "control/surface_grid.h"
#include "embed/embedding.h"
#include "render/renderer.h"
#include "script/script_session.h"

class CSurface final : public ISurface2, public ISupportErrorInfo, private zorvel::SceneSource {
public:
    // Creates a control, plain (outer null) or as the inner object of an
    // aggregate (riid must then be IID_IUnknown).
    static HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv);

    // IUnknown: delegates to the controlling unknown.
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override;
    STDMETHODIMP GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                               DISPID* rgDispId) override;
    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                        DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                        UINT* puArgErr) override;

    // ISurface
    STDMETHODIMP SetPointPerXY(LONG lpx, LONG lpy) override;
    STDMETHODIMP SetPointsPerXY(LONG lpx, LONG lpy) override;
    STDMETHODIMP GetPointsPerXY(LONG* ppX, LONG* ppY) override;
    STDMETHODIMP SetXRange(float min_x, float max_x) override;
    STDMETHODIMP SetYRange(float min_y, float max_y) override;
    STDMETHODIMP SetData(LONG posx, LONG posy, float x, float y, float z) override;
    STDMETHODIMP GetXRange(float* pflminX, float* pflmaxX) override;
    STDMETHODIMP GetYRange(float* pflminY, float* pflmaxY) override;
    STDMETHODIMP Refresh() override;
    STDMETHODIMP get_XYRotate(LONG* pVal) override;
    STDMETHODIMP put_XYRotate(LONG newVal) override;
    STDMETHODIMP get_ZRotate(LONG* pVal) override;
    STDMETHODIMP put_ZRotate(LONG newVal) override;
    STDMETHODIMP get_Radius(float* pVal) override;
    STDMETHODIMP put_Radius(float newVal) override;
    STDMETHODIMP RunScriptFromFile(BSTR filename, BSTR* Result) override;
    STDMETHODIMP RunScript(BSTR script, BSTR* Result) override;

    // ISurface2
    STDMETHODIMP SetGrid(VARIANT heights, VARIANT minX, VARIANT maxX, VARIANT minY, VARIANT maxY) override;
    STDMETHODIMP GetHeight(LONG ix, LONG iy, float* pHeight) override;
    STDMETHODIMP get_ColorMap(LONG* pMap) override;
    STDMETHODIMP put_ColorMap(LONG map) override;
    STDMETHODIMP get_ShowLegend(VARIANT_BOOL* pShow) override;
    STDMETHODIMP put_ShowLegend(VARIANT_BOOL show) override;
    STDMETHODIMP get_FitHeights(VARIANT_BOOL* pFit) override;
    STDMETHODIMP put_FitHeights(VARIANT_BOOL fit) override;
    STDMETHODIMP SaveImage(BSTR path, VARIANT width, VARIANT height) override;
    STDMETHODIMP get_ShowAxes(VARIANT_BOOL* pShow) override;
    STDMETHODIMP put_ShowAxes(VARIANT_BOOL show) override;
    STDMETHODIMP AxisTitle(LONG axis, BSTR text) override;
    STDMETHODIMP get_MouseNavigate(VARIANT_BOOL* pOn) override;
    STDMETHODIMP put_MouseNavigate(VARIANT_BOOL on) override;

    // ISupportErrorInfo
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override;

    // The parts, for tools and tests built on the same libraries.
    const CSurfaceGrid& Grid() const { return m_grid; }
    zorvel::Renderer& Renderer() { return m_renderer; }
    const zorvel::Renderer& Renderer() const { return m_renderer; }
    CSurfaceEmbedding& Embedding() { return m_embedding; }
    const zorvel::script::ScriptSession& Scripts() const { return m_scripts; }

private:
    explicit CSurface(IUnknown* outer);
    ~CSurface();
    CSurface(const CSurface&) = delete;
    CSurface& operator=(const CSurface&) = delete;

    HRESULT FinalConstruct();
    void FinalRelease();

    // What the renderer draws.
    zorvel::GridView SceneGrid() const override { return m_grid.View(); }
    void ResetGrid() override;
    zorvel::GridView FirstDrawGrid() override;

    // The non-delegating unknown: identity and lifetime of the object.
    class InnerUnknown final : public IUnknown {
    public:
        explicit InnerUnknown(CSurface* owner) : m_pOwner(owner) {}
        STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;
        CSurface* const m_pOwner;
        LONG m_cRef = 0;
    };

    InnerUnknown m_inner;
    IUnknown* m_pOuterUnknown;  // &m_inner, or the aggregate's controlling unknown

    CSurfaceGrid m_grid;
    // What the first draw will start from, for a picture taken before it.
    CSurfaceGrid m_firstDrawGrid;
    // The control's copy of the ranges, read by GetXRange and GetYRange.
    float m_xMin = -10.0f;
    float m_xMax = 10.0f;
    float m_yMin = -10.0f;
    float m_yMax = 10.0f;
    // The grid size the first draw starts from.
    LONG m_nPointCount = 30000;

    zorvel::Renderer m_renderer;
    CSurfaceEmbedding m_embedding;
    zorvel::script::ScriptSession m_scripts;
};
