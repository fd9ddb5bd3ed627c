#pragma once
// Draws scenes' widgets through the render stack: for each widget of the
// draw list whose ancestors are all visible, push the state, select
// AlphaBlend, load the widget's world matrix, set the colour to the state's
// colour times the widget's and its ancestors' colours, let the widget set
// its own state, draw it, pop.

/// Makes every Scene::Draw go through the render stack.
void InstallWidgetRenderer();
