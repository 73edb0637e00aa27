# The layers of src/, lowest first: a file may include its own folder's headers and those of the
# folders before it, never of a folder after it. A new folder under src/ must be placed here.
set(TESSIVAR_LAYERS
    platform        # interfaces standing in for the Windows calls the core makes
    platform/wine   # the Linux back-end over a Wine prefix
    settings        # the settings store and its keys
    engine          # the model, the context, the catalogue, registry operations
    checks          # the checks of each section and the drive walk
    results         # summaries, report, repair, backups
    scan            # the scan that drives the checks and fills the results
    shell           # the behaviour of each window, without a widget
    ui              # Qt widgets: render the model, forward clicks
    app             # the desktop program's entry point
    cli)            # the command line's entry point

# The back-end sits beside the core, not under it: only the entry points choose and reach it.
set(TESSIVAR_BACKEND_LAYERS platform/wine)
set(TESSIVAR_BACKEND_USERS platform/wine app cli)

# The layers below ui are plain C++: no Qt.
set(TESSIVAR_QT_FREE_LAYERS platform platform/wine settings engine checks results scan shell)

# Sets `out` to the layer of a path relative to src/ (the longest folder that starts it), or to
# an empty string when no layer holds it.
function(tessivar_layer_of path out)
  set(best "")
  foreach(layer IN LISTS TESSIVAR_LAYERS)
    string(FIND "${path}" "${layer}/" pos)
    string(LENGTH "${layer}" len)
    string(LENGTH "${best}" best_len)
    if(pos EQUAL 0 AND len GREATER best_len)
      set(best "${layer}")
    endif()
  endforeach()
  set(${out} "${best}" PARENT_SCOPE)
endfunction()
